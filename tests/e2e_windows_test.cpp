// SPDX-License-Identifier: Apache-2.0
// End-to-end on Windows only: share modes between processes, the names that
// Windows reads as drives, streams, devices or parent folders, the system's
// own error texts, and the whole status word as a batch file sees it.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace {

const std::string kInput = "H\nL1 1 2\nL1 3 2\n";

// The name as Windows makes it absolute with dir as the current folder, as
// the report shows it (a drive or a root in it leaves dir aside).
std::string resolved_in(const std::string& dir, const std::string& name) {
  char here[MAX_PATH], buf[MAX_PATH];
  GetCurrentDirectoryA(sizeof here, here);
  SetCurrentDirectoryA(dir.c_str());
  DWORD n = GetFullPathNameA(name.c_str(), sizeof buf, buf, nullptr);
  SetCurrentDirectoryA(here);
  EXPECT_TRUE(n > 0 && n < sizeof buf) << name;
  return std::string(buf, n);
}

// Wine's view of the Linux device that takes no byte; real Windows has none.
const char* const kFullDevice = "Z:\\dev\\full";
bool full_device_present() {
  HANDLE h = CreateFileA(kFullDevice, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

TEST(WindowsFiles, ListFileHeldByAnotherProgramIsRefusedWithTheSystemLine) {
  TempDir dir;
  write_file(dir.file("in.xyz"), kInput);
  write_file(dir.file("held.lst"), "old\r\n");
  // Held the way a viewer holds it: reading, and letting others only read.
  HANDLE held = CreateFileA(dir.file("held.lst").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SpawnResult r = run_in(dir.path(), {"in.xyz", "1", "1", "2", "3", "held.lst"});
  CloseHandle(held);
  EXPECT_EQ(r.exit_code(), exit_status(30));
  EXPECT_TRUE(r.err.starts_with(system_line(kBusyText) +
                                  report(30, "open failure, unit 11, file " + dir.file("held.lst"))))
      << r.err;
  expect_files(dir.path(), {{"held.lst", "old\r\n"}}, "in.xyz");
}

// Line names that would reach out of the current folder are refused before
// any file of theirs is created or opened.
TEST(WindowsFiles, LineNamesLeavingTheFolderAre43BeforeAnyOpen) {
  TempDir dir;
  const std::string inner = dir.file("run");
  ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));
  for (std::string id : {"..\\x", "../x", "C:x", "\\x", "L1:s", "CON", "con", "nul.txt", "COM1", "lpt9.log",
                         "CONIN$", "sub\\..\\x", "sub/AUX"}) {
    write_file(inner + "\\in.xyz", "H\n" + id + " 1 2\n");
    SpawnResult r = run_in(inner, {"in.xyz", "1", "1", "2", "3", " "});
    EXPECT_EQ(r.exit_code(), exit_status(43)) << id;
    EXPECT_TRUE(r.err.starts_with(
        report(43, "file name specification error, unit 12, file " + resolved_in(inner, id + ".dat"))))
        << id << "\n" << r.err;
    expect_files(inner, {}, "in.xyz");
    expect_files(dir.path(), {});
  }
}

// A name that the ANSI file API would cut or misread never reaches it: a line
// file or list file whose resolved name is too long for it, or holds a NUL,
// is 43 before anything is created, and is shown whole and absolute; such an
// input does not exist.
TEST(WindowsFiles, NamesTheFileApiCannotTakeWholeAreRefused) {
  TempDir dir;
  // The longest resolved name the file API takes has 259 characters.
  const std::string too_long(260 - dir.file("").size(), 'a');
  const std::string id32770(32766, 'L'), id65538(65534, 'L'), id_nul("xy\0ab", 5);
  struct Case {
    const char* label;
    std::string id, infile, list;
    int unit;           // whose name is refused: 10 (which then does not exist), 11 or 12
    std::string shown;  // the refused name, relative to dir
  };
  const std::vector<Case> cases = {
      {"LineName32770", id32770, "in.xyz", " ", 12, id32770 + ".dat"},
      {"LineName65538", id65538, "in.xyz", " ", 12, id65538 + ".dat"},  // would open a file named "LL"
      {"LineNameWithNul", id_nul, "in.xyz", " ", 12, id_nul + ".dat"},
      {"ListFile", "L1", "in.xyz", too_long, 11, too_long},
      {"Input", "L1", too_long, " ", 10, ""},
  };
  for (const Case& c : cases) {
    const std::string input = "H\n" + c.id + " 1 2\n";
    write_file(dir.file("in.xyz"), input);
    // An input that is there, but that only the wide file API can name.
    const std::wstring wide = L"\\\\?\\" + std::wstring(dir.path().begin(), dir.path().end()) + L"\\" +
                              std::wstring(c.infile.begin(), c.infile.end());
    if (c.unit == 10) {
      HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD put;
      ASSERT_TRUE(h != INVALID_HANDLE_VALUE && WriteFile(h, input.data(), input.size(), &put, nullptr));
      CloseHandle(h);
    }
    SpawnResult r = run_in(dir.path(), {c.infile, "1", "1", "2", "3", c.list});
    if (c.unit == 10) DeleteFileW(wide.c_str());
    std::string want = c.unit == 10 ? " that file does not exist\r\n"
                                    : report(43, "file name specification error, unit " + std::to_string(c.unit) +
                                                     ", file " + dir.file(c.shown));
    EXPECT_EQ(r.exit_code(), exit_status(c.unit == 10 ? 1 : 43)) << c.label;
    EXPECT_TRUE(r.err.starts_with(want)) << c.label << "\n" << r.err.substr(0, 400);
    expect_files(dir.path(), {}, "in.xyz");
  }
}

// The system's texts are those of the platform, and Wine's differ from
// Windows' own: the expectation asks the system too.
TEST(WindowsFiles, FullDiskGives38WithTheSystemsText) {
  if (!full_device_present()) GTEST_SKIP() << "no full device at " << kFullDevice;
  TempDir dir;
  write_file(dir.file("in.xyz"), kInput);
  SpawnResult r = run_in(dir.path(), {"in.xyz", "1", "1", "2", "3", kFullDevice});
  EXPECT_EQ(r.exit_code(), exit_status(38));
  EXPECT_TRUE(r.err.starts_with(system_line(kDiskFullText) +
                                  report(38, "error during write, unit 11, file " + std::string(kFullDevice))))
      << r.err;
}

TEST(WindowsFiles, LineFileInAMissingFolderIs29) {
  TempDir dir;
  write_file(dir.file("in.xyz"), "H\nnosub/L1 1 2\n");
  SpawnResult r = run_in(dir.path(), {"in.xyz", "1", "1", "2", "3", " "});
  EXPECT_EQ(r.exit_code(), exit_status(29));
  EXPECT_TRUE(r.err.starts_with(report(29, "file not found, unit 12, file " + dir.file("nosub\\L1.dat"))))
      << r.err;
}

TEST(WindowsFiles, ListFileOnADriveThatIsNotThereIs42) {
  DWORD drives = GetLogicalDrives();
  char letter = 'Z';
  while (letter > 'D' && (drives >> (letter - 'A') & 1)) --letter;
  ASSERT_FALSE(drives >> (letter - 'A') & 1) << "every drive letter is taken";
  const std::string list = std::string(1, letter) + ":\\survey.lst";
  TempDir dir;
  write_file(dir.file("in.xyz"), kInput);
  SpawnResult r = run_in(dir.path(), {"in.xyz", "1", "1", "2", "3", list});
  EXPECT_EQ(r.exit_code(), exit_status(42));
  EXPECT_TRUE(r.err.starts_with(report(42, "no such device, unit 11, file " + list))) << r.err;
}

// A batch file sees the whole status word in %ERRORLEVEL%, negative for a
// severe failure, and 1 for an early stop; a line is read when it runs.
TEST(WindowsStatus, BatchFileSeesTheWholeStatusWord) {
  TempDir dir;
  write_file(dir.file("in.xyz"), kInput);
  write_file(dir.file("lost.xyz"), "H\nnosub/L1 1 2\n");
  struct Case {
    std::string args;
    std::string errorlevel;
  };
  const std::vector<Case> cases = {
      {"in.xyz 1 1 2 3 \" \"", "0"},
      {"missing.xyz 1 1 2 3 \" \"", "1"},                // the input does not exist
      {"in.xyz 99 1 2 3 \" \"", "1"},                    // too many header lines
      {"lost.xyz 1 1 2 3 \" \"", "-1073741795"},         // 29
      {"in.xyz abc 1 2 3 \" \"", "-1073741765"},         // 59
      {"in.xyz 1 1 2 3 " + std::string(kFullDevice), "-1073741786"},  // 38
  };
  std::string batch = "@cd /d \"" + dir.path() + "\"\r\n", want;
  char program[MAX_PATH];
  DWORD n = GetFullPathNameA(kSegmentorBinary, sizeof program, program, nullptr);
  ASSERT_TRUE(n > 0 && n < sizeof program);
  for (const Case& c : cases) {
    if (c.args.find(kFullDevice) != std::string::npos && !full_device_present()) continue;
    batch += "@\"" + std::string(program, n) + "\" " + c.args + " >NUL 2>NUL <NUL\r\n@echo %ERRORLEVEL%\r\n";
    want += c.errorlevel + "\r\n";
  }
  write_file(dir.file("run.bat"), batch + "@exit /b 0\r\n");
  // The command processor takes the quotes around the whole command away.
  FILE* p = _popen(("\"\"" + dir.file("run.bat") + "\"\"").c_str(), "rb");
  ASSERT_NE(p, nullptr);
  std::string got;
  char buf[256];
  for (size_t k; (k = fread(buf, 1, sizeof buf, p)) > 0;) got.append(buf, k);
  EXPECT_EQ(_pclose(p), 0);
  EXPECT_EQ(got, want);
}

}  // namespace
