// SPDX-License-Identifier: Apache-2.0
// End-to-end: how the program opens, reads, writes and cuts its files: old
// content of output files, files connected twice, refused opens and writes,
// block-sized inputs (what only POSIX has: e2e_record_files_posix_test).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace {

std::string ten_old_lines() {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "old line " + std::to_string(i) + " of a file written before this run\r\n";
  return s;
}

const std::vector<std::string> kNoList{"in.xyz", "0", "1", "2", "3", " "};
const std::vector<std::string> kList{"in.xyz", "0", "1", "2", "3", "list.lst"};

TEST(RecordFiles, ExistingOutputFilesAreCutAtTheFirstWrite) {
  const std::string input = "L1 0 0\nL1 0 1\n";
  const std::string two = rec("L1 0 0", 2) + rec("L1 0 1", 2);
  for (const std::string existing : {"list.lst", "L1.dat"}) {
    SCOPED_TRACE(existing);
    TempDir d;
    write_file(d.file("in.xyz"), input);
    write_file(d.file(existing), ten_old_lines());
    SpawnResult r = run_in(d.path(), kList);
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(console(r), complete(1));
    expect_files(d.path(), {{"in.xyz", input}, {"list.lst", two}, {"L1.dat", two}});
  }
}

TEST(RecordFiles, ExistingListFileKeptWhenNothingIsWritten) {
  struct Case {
    const char* name;
    std::string input;
    std::string nhead;
  };
  const Case cases[] = {{"empty input", "", "0"},
                        {"blank lines only", "\n   \r\n\n", "0"},
                        {"fewer lines than the headers", "H1\n", "2"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir d;
    write_file(d.file("in.xyz"), c.input);
    write_file(d.file("list.lst"), ten_old_lines());
    SpawnResult r = run_in(d.path(), {"in.xyz", c.nhead, "1", "2", "3", "list.lst"});
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(console(r), complete(0));
    EXPECT_EQ(r.err, "");
    expect_files(d.path(), {{"in.xyz", c.input}, {"list.lst", ten_old_lines()}});
  }
}

// A file already connected in this run is refused with 30 and the system
// line, whatever name reaches it; the file is left untouched.
TEST(RecordFiles, SecondConnectionToOneFileIsRefused) {
  struct Case {
    std::string infile, list, unit_file;
    int unit;
    Files after;  // besides the input
  };
  const std::string input = "HDR\nL1 0 0\nL1 0 1\n";
  const std::vector<Case> cases = {
      {"in.xyz", "in.xyz", "in.xyz", 11, {}},
      {"in.xyz", "./in.xyz", "in.xyz", 11, {}},
      {"in.xyz", "link.xyz", "link.xyz", 11, {}},
      {"in.xyz", "L1.dat", "L1.dat", 12, {{"L1.dat", "HDR\r\n"}}},
      {"L1.dat", " ", "L1.dat", 12, {}},
      {"L1.dat", "list.lst", "L1.dat", 12, {{"list.lst", "HDR\r\n"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.infile + " / " + c.list);
    TempDir d;
    write_file(d.file(c.infile), input);
    if (c.list == "link.xyz") {
#ifdef _WIN32
      continue;  // a link is an administrator's right on Windows
#endif
      std::filesystem::create_symlink("in.xyz", d.file("link.xyz"));
    }
    SpawnResult r = run_in(d.path(), {c.infile, "1", "1", "2", "3", c.list});
    EXPECT_EQ(r.exit_code(), exit_status(30));
    EXPECT_EQ(console(r), "");
    expect_err_start(r, system_line(kBusyText) +
                            report(30, "open failure, unit " + std::to_string(c.unit) + ", file " +
                                           d.file(c.unit_file)));
    Files after = c.after;
    after[c.infile] = input;
    if (c.list == "link.xyz") after["link.xyz"] = input;
    expect_files(d.path(), after);
  }
}

TEST(RecordFiles, DirectoryAsInputIsRefused) {
  TempDir d;
  ASSERT_TRUE(std::filesystem::create_directory(d.file("adir")));
  SpawnResult r = run_in(d.path(), {"adir", "0", "1", "2", "3", "list.lst"});
  EXPECT_EQ(r.exit_code(), exit_status(9));
  EXPECT_EQ(console(r), "");
  expect_err_start(r, report(9, "permission to access file denied, unit 10, file " + d.file("adir")));
  expect_files(d.path(), {});
}

// Run as an unprivileged user: a line file that may be read but not written
// opens read-only, and the first record for it ends the run with 47.
TEST(RecordFiles, ReadOnlyLineFileEndsRunAtItsFirstWrite) {
  TempDir d;
  if (std::string why = permissions_untestable(d.path()); !why.empty()) GTEST_SKIP() << why;
  const std::string input = "HDR\nL0 0 0\nL1 0 1\nL1 0 2\n";
  write_file(d.file("in.xyz"), input);
  write_file(d.file("L1.dat"), "old\r\n");
  ASSERT_EQ(chmod(d.file("L1.dat").c_str(), 0444), 0);
  ASSERT_EQ(chmod(d.path().c_str(), 0777), 0);
  SpawnResult r = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", "list.lst"}, "", drop_privileges);
  EXPECT_EQ(r.exit_code(), exit_status(47));
  EXPECT_EQ(console(r), "");
  expect_err_start(r, "runlib: severe (47): write to READONLY file, unit 12, file " + d.file("L1.dat") + "\r\r\n");
  const std::string before = "HDR\r\n" + rec("L0 0 0", 0);
  expect_files(d.path(), {{"in.xyz", input}, {"L0.dat", before}, {"L1.dat", "old\r\n"}, {"list.lst", before}});
}

// Inputs whose size is a multiple of the read block, or just off it, without
// a final line end: the last line is still a record.
TEST(RecordFiles, BlockSizedInputWithoutFinalLineEnd) {
  for (size_t size : {8191u, 8192u, 8193u, 16384u}) {
    SCOPED_TRACE(size);
    std::string input, expected;
    int i = 0;
    while (input.size() + 30 < size) {
      std::string line = "L1 0 " + std::to_string(i++);
      input += line + "\n";
      expected += rec(line, 2);
    }
    std::string last = "L1 0 " + std::to_string(i) + " ";
    last += std::string(size - input.size() - last.size(), 'z');
    input += last;
    expected += rec(last, 2);
    ASSERT_EQ(input.size(), size);
    TempDir d;
    write_file(d.file("in.xyz"), input);
    SpawnResult r = run_in(d.path(), kNoList);
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(console(r), complete(1));
    expect_files(d.path(), {{"in.xyz", input}, {"L1.dat", expected}});
  }
}

}  // namespace
