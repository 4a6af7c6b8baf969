// SPDX-License-Identifier: Apache-2.0
// The Windows spawn helper hands the child its arguments, input and folder
// exactly, and brings back its output and whole exit code.
#include <windows.h>
#include <gtest/gtest.h>

#include "tests/spawn.h"

namespace {

std::string full_path(const std::string& name) {
  char buf[MAX_PATH];
  DWORD n = GetFullPathNameA(name.c_str(), sizeof buf, buf, nullptr);
  return std::string(buf, n);
}

TEST(SpawnWin32, ArgumentsArriveExactly) {
  const std::vector<std::string> args = {
      "", " ", "a b", "\"", "\"\"", "a\"b", "a\\", "a\\\\", "a\\b", "\\\"", "a\\\\\"b c",
      "a b\\", "a b\\\\", "tab\tx", "new\nline", "*", "?.xyz", "%PATH%", "x^y&z|<>", "-1", "{}", "'s'"};
  std::string want;
  for (const std::string& a : args) want += "[" + a + "]\n";
  SpawnResult r = run_segmentor({.args = args});
  EXPECT_EQ(r.out, want + "stdin:");
  EXPECT_EQ(r.exit_code(), 0);
}

TEST(SpawnWin32, InputPassesByteForByte) {
  const std::string input = std::string("a\r\nb\nc\x1a" "d\0e", 9) + std::string(100000, 'x');
  SpawnResult r = run_segmentor({.input = input});
  EXPECT_EQ(r.out, "stdin:" + input);
}

TEST(SpawnWin32, ClosedInputCannotBeRead) {
  SpawnResult r = run_segmentor({.input = "unseen", .stdin_is = Stdin::write_only});
  EXPECT_EQ(r.out, "stdin: error " + std::to_string(ERROR_ACCESS_DENIED));
}

TEST(SpawnWin32, RunsInTheScratchFolder) {
  TempDir dir;
  SpawnResult r = run_segmentor({.cwd = dir.path()});
  EXPECT_EQ(r.err, full_path(dir.path()));
}

TEST(SpawnWin32, ExitCodeIsTheWholeWord) {
  for (DWORD code : {0x0ul, 0x1ul, 0xC000001Dul, 0xC000013Aul, 0xFFFFFFFFul}) {
    char hex[16];
    snprintf(hex, sizeof hex, "%lx", code);
    SpawnResult r = run_segmentor({.args = {"exit", hex}});
    EXPECT_TRUE(r.exited());
    EXPECT_EQ(static_cast<DWORD>(r.exit_code()), code) << hex;
  }
}

}  // namespace
