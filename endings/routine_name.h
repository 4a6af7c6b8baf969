// SPDX-License-Identifier: Apache-2.0
// The routine column of the traceback table: a demangled name shortened to
// the routine's own name, without scopes, template arguments or parameters.
#pragma once
#include <string_view>

// "ns::f<T>(int) const" -> "f"; an operator keeps its symbol ("operator<<").
std::string_view short_routine_name(std::string_view demangled);
