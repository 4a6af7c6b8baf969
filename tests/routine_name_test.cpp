// SPDX-License-Identifier: Apache-2.0
// The routine column of the traceback table: a demangled name shortened to
// the routine's own name, without scopes, template arguments or parameters.
#include "endings/routine_name.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct RoutineCase {
  const char* demangled;
  const char* routine;
};

const RoutineCase kRoutineCases[] = {
    {"main", "main"},
    {"write", "write"},
    {"f()", "f"},
    {"ns::f(int)", "f"},
    {"a::b::c::d(char const*, unsigned long)", "d"},
    {"(anonymous namespace)::fail(int)", "fail"},
    {"ns::(anonymous namespace)::fail(int)", "fail"},
    {"(anonymous namespace)::Walk::step() const", "step"},
    {"a::b<int>::c<long>(x) const", "c"},
    {"a::b<x::y>::c()", "c"},
    {"ns::f<std::pair<int, long> >(int)", "f"},
    {"std::vector<int, std::allocator<int> >::push_back(int const&)", "push_back"},
    {"S<(anonymous namespace)::T>::run(int)", "run"},
    {"f(std::function<void (int)>)", "f"},
    // Function templates are demangled with their return type in front.
    {"void f<int>(int)", "f"},
    {"void ns::f<int>(int)", "f"},
    {"std::vector<int> ns::make<int>()", "make"},
    // Operators keep their symbol; a lambda is its call operator, not the
    // routine that holds it (a lambda inside main must not pass for main).
    {"S::operator()(int) const", "operator()"},
    {"ns::operator<<(std::ostream&, S const&)", "operator<<"},
    {"ns::operator<(S const&, S const&)", "operator<"},
    {"S::operator->() const", "operator->"},
    {"S::operator>>(int)", "operator>>"},
    {"S::operator bool() const", "operator bool"},
    {"run()::{lambda(int)#1}::operator()(int) const", "operator()"},
};

void PrintTo(const RoutineCase& c, std::ostream* os) { *os << '"' << c.demangled << '"'; }

class ShortRoutineName : public testing::TestWithParam<RoutineCase> {};

TEST_P(ShortRoutineName, Shortens) {
  EXPECT_EQ(std::string(short_routine_name(GetParam().demangled)), GetParam().routine)
      << "for " << GetParam().demangled;
}

INSTANTIATE_TEST_SUITE_P(Demangled, ShortRoutineName, testing::ValuesIn(kRoutineCases));

}  // namespace
