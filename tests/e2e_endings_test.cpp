// SPDX-License-Identifier: Apache-2.0
// End-to-end tests of how a run ends: the failure report with its traceback
// table and the exit statuses (the console events: e2e_endings_posix_test).
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace {

// The image name of the program's own rows.
#ifdef _WIN32
const char kImage[] = "segmentor.exe    ";
#else
const char kImage[] = "segmentor        ";
#endif

// ---------------------------------------------------------------------------
// The report of a severe failure.

struct SevereCase {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  std::string report_line;  // "$DIR" stands for the scratch directory
  int status;
};

class EndingsSevereReport : public ::testing::TestWithParam<SevereCase> {};

TEST_P(EndingsSevereReport, ReportLineThenTracebackTableThenNothing) {
  const SevereCase& c = GetParam();
  TempDir dir;
  write_file(dir.file("in.xyz"), "LINE X Y\nL1 1 2\nL1 2 3\nsub/L2 5 5\n");
  SpawnResult r = run_in(dir.path(), c.args, c.input);
  std::string line = c.report_line;
  if (size_t at = line.find("$DIR"); at != std::string::npos) line.replace(at, 4, dir.path());

  EXPECT_EQ(r.exit_code(), exit_status(c.status));
  EXPECT_EQ(r.out.find(" Processing complete"), std::string::npos);
  ASSERT_EQ(r.err.substr(0, line.size()), line);
  std::string table = r.err.substr(line.size());
  ASSERT_EQ(table.substr(0, sizeof kTableHeader - 1), kTableHeader);
  ASSERT_EQ(table.substr(table.size() - 2), "\r\n") << "the table ends with its last row";
  std::vector<std::string> rows = split_lines(table.substr(sizeof kTableHeader - 1));
  ASSERT_GE(rows.size(), 1u);
  EXPECT_LE(rows.size(), 20u);

  // image(17)  PC(8 hex)  routine(17)  line(10, right-aligned)  source file
  static const std::regex row_layout(
      "(.{17})  ([0-9A-F]{8})  (.{17})  ( *[0-9]+|   Unknown)  ([^/ \r\n][^/\r\n]*)");
  int main_rows = 0, own_rows = 0;
  for (const std::string& row : rows) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(row, m, row_layout)) << "row: [" << row << "]";
    EXPECT_EQ(m[4].length(), 10) << "row: [" << row << "]";
    own_rows += m[1] == kImage;
    if (kNoDebugInfoReader) {
      EXPECT_EQ(m[3].str() + "|" + m[4].str() + "|" + m[5].str(), "Unknown          |   Unknown|Unknown") << row;
    }
    if (m[3] == "SEGMENTOR        ") {
      ++main_rows;
      EXPECT_EQ(m[1], kImage);
      EXPECT_EQ(m[5], "main.cpp");
      EXPECT_TRUE(std::regex_match(m[4].str(), std::regex(" *[1-9][0-9]*"))) << row;
    }
  }
  EXPECT_GE(own_rows, 1) << table;
  if (kNoDebugInfoReader) GTEST_SKIP() << "the main program's row: " << kNoDebugInfoReader;
  EXPECT_EQ(main_rows, 1) << table;
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EndingsSevereReport,
    ::testing::Values(
        SevereCase{"SyntaxErrorInArgument", {"in.xyz", "abc", "1", "2", "3"}, "",
                   "runlib: severe (59): list-directed I/O syntax error, unit -5, "
                   "file Internal List-Directed Read\r\r\n", 59},
        SevereCase{"SyntaxErrorInReply", {"in.xyz"}, "abc\n",
                   "runlib: severe (59): list-directed I/O syntax error, unit -4, "
                   "file CONIN$\r\r\n", 59},
        SevereCase{"ConversionError", {"in.xyz", "1e10", "1", "2", "3"}, "",
                   "runlib: severe (64): input conversion error, unit -5, "
                   "file Internal List-Directed Read\r\r\n", 64},
        SevereCase{"EndOfConsoleInput", {}, "",
                   "runlib: severe (24): end-of-file during read, unit -4, file CONIN$\r\r\n", 24},
        SevereCase{"LineFileInMissingDirectory", {"in.xyz", "1", "1", "2", "3", ""}, "",
                   "runlib: severe (29): file not found, unit 12, file $DIR" + native("/sub/L2.dat") + "\r\r\n",
                   29}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Exit statuses.

struct StatusCase {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string err_start;
};

class EndingsExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(EndingsExitStatus, StatusTellsHowTheRunEnded) {
  const StatusCase& c = GetParam();
  TempDir dir;
  write_file(dir.file("in.xyz"), kSmallInput);
  SpawnResult r = run_in(dir.path(), c.args, c.input);
  EXPECT_TRUE(r.exited()) << "ended by signal " << r.term_signal();
  EXPECT_EQ(r.exit_code(), exit_status(c.status));
  EXPECT_EQ(r.err.substr(0, c.err_start.size()), c.err_start);
  if (c.err_start.empty()) {
    EXPECT_EQ(r.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EndingsExitStatus,
    ::testing::Values(
        StatusCase{"NormalEnd", {"in.xyz", "1", "1", "2", "3", "list.txt"}, "", 0, ""},
        StatusCase{"NormalEndAfterPrompts", {}, "in.xyz\n1\n1\n2\n3\n\n", 0, ""},
        StatusCase{"MissingInput", {"absent.xyz", "1", "1", "2", "3"}, "", 1,
                   " that file does not exist\r\n"},
        StatusCase{"ValidationStop", {"in.xyz", "-1", "1", "2", "3", ""}, "", 1, ""},
        StatusCase{"ValidationStopOnColumn", {"in.xyz", "1", "0", "2", "3", ""}, "", 1, ""},
        StatusCase{"Failure59", {"in.xyz", "abc"}, "", 59, "runlib: severe (59): "},
        StatusCase{"Failure64", {"in.xyz", "1", "1e10"}, "", 64, "runlib: severe (64): "},
        StatusCase{"Failure24", {"in.xyz"}, "", 24, "runlib: severe (24): "},
        StatusCase{"Failure9", {".", "1", "1", "2", "3", ""}, "", 9, "runlib: severe (9): "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EndingsExitStatus, MissingInputWritesOnlyTheStopMessage) {
  TempDir dir;
  SpawnResult r = run_in(dir.path(), {"absent.xyz", "-5", "0", "0", "0"});
  EXPECT_EQ(r.err, " that file does not exist\r\n");
  EXPECT_EQ(r.exit_code(), 1);
  EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{});
}

}  // namespace
