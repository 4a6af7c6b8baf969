// SPDX-License-Identifier: Apache-2.0
// libbacktrace built for Windows finds routine, source and line of an address
// in the program's own image from its DWARF.
#include <windows.h>
#include <backtrace.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct Frame {
  std::string function, file;
  int line = 0;
  int called_at = 0;
  std::string error;
};

int first_frame(void* data, uintptr_t, const char* file, int line, const char* function) {
  Frame& f = *static_cast<Frame*>(data);
  f.function = function ? function : "";
  f.file = file ? file : "";
  f.line = line;
  return 1;  // the caller's own frame is enough
}

void record_error(void* data, const char* msg, int errnum) {
  static_cast<Frame*>(data)->error = std::string(msg) + " " + std::to_string(errnum);
}

// libbacktrace cannot find the running image itself on Windows: it is given,
// and it keeps the pointer, reading the file only at the first lookup.
const char* own_image() {
  static char name[MAX_PATH];
  GetModuleFileNameA(nullptr, name, sizeof name);
  return name;
}

__attribute__((noinline)) Frame where_am_i(backtrace_state* state) {
  Frame f;
  f.called_at = __LINE__, backtrace_full(state, 0, first_frame, record_error, &f);
  return f;
}

TEST(BacktracePe, RoutineFileAndLineFromTheImage) {
  Frame errors;
  backtrace_state* state = backtrace_create_state(own_image(), 0, record_error, &errors);
  ASSERT_NE(state, nullptr) << errors.error;
  Frame f = where_am_i(state);
  EXPECT_EQ(f.error, "");
  EXPECT_NE(f.function.find("where_am_i"), std::string::npos) << f.function;
  EXPECT_TRUE(f.file.ends_with("backtrace_pe_test.cpp")) << f.file;
  EXPECT_EQ(f.line, f.called_at);
}

}  // namespace
