// SPDX-License-Identifier: Apache-2.0
// End-to-end tests of how a run ends: the failure report with its traceback
// table, the system line, the exit statuses, the console events (signals)
// and a write to a pipe nobody reads.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace {

const char kTableHeader[] =
    "Image              PC        Routine            Line        Source             \r\n";
const std::string kSmallInput = "LINE X Y\nL1 100 200\nL1 110 200\nL2 0 0\n";

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back(text.substr(start));  // an unterminated tail
  return lines;
}

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

// /dev/full and a pipe in the child are POSIX's (Windows: WindowsFiles).
#ifndef _WIN32
TEST(EndingsSystemLine, FullDeviceAsListFileGivesSystemLineBeforeReportLine) {
  TempDir dir;
  write_file(dir.file("in.xyz"), kSmallInput);
  SpawnResult r = run_in(dir.path(), {"in.xyz", "1", "1", "2", "3", "/dev/full"});
  const std::string lines =
      "runlib: No space left on device\r\r\n"
      "runlib: severe (38): error during write, unit 11, file /dev/full\r\r\n";
  EXPECT_EQ(r.err.substr(0, lines.size()), lines);
  EXPECT_EQ(r.err.substr(lines.size(), sizeof kTableHeader - 1), kTableHeader);
  EXPECT_EQ(r.exit_code(), 38);
}

TEST(EndingsClosedPipe, WritingToAPipeNobodyReadsIsFailure38OnConsoleOutput) {
  TempDir dir;
  // SIGPIPE at its default: the program itself must ignore it.
  SpawnResult r = run_in(dir.path(), {"in.xyz", "1", "1", "2", "3"}, "", output_to_closed_pipe);
  EXPECT_EQ(r.term_signal(), 0) << "ended by signal " << r.term_signal();
  EXPECT_EQ(r.exit_code(), 38);
  const std::string line = "runlib: severe (38): error during write, unit -1, file CONOUT$\r\r\n";
  EXPECT_EQ(r.err.substr(0, line.size() + sizeof kTableHeader - 1), line + kTableHeader)
      << "no system line for a console unit";
}
#endif

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

// ---------------------------------------------------------------------------
// Console events: signals on POSIX. Under Wine no test has a console to
// send Windows' events to.
#ifndef _WIN32

struct EventCase {
  const char* name;
  int sig;
  const char* event;
  bool input_argument;  // the input named on the command line: waits at the header prompt
};

class EndingsConsoleEvent : public ::testing::TestWithParam<EventCase> {};

TEST_P(EndingsConsoleEvent, RunWaitingAtPromptReportsAndEndsByTheSignal) {
  const EventCase& c = GetParam();
  TempDir dir;
  write_file(dir.file("in.xyz"), kSmallInput);
  std::vector<std::string> args;
  if (c.input_argument) args.push_back("in.xyz");
  const std::string prompt = c.input_argument ? kAskHead : kAskInput;
  Child run({.args = args, .cwd = dir.path(), .stdin_is = Stdin::pipe});
  ASSERT_TRUE(run.wait_for_output(prompt)) << run.so_far().out << run.so_far().err;
  run.send(c.sig);
  SpawnResult r = run.finish();
  EXPECT_EQ(r.err, event_report(c.event));
  EXPECT_TRUE(r.out.ends_with(prompt)) << r.out;
  EXPECT_EQ(r.term_signal(), c.sig) << "exit status " << r.exit_code();
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EndingsConsoleEvent,
    ::testing::Values(EventCase{"InterruptAtInputPrompt", SIGINT, "control-C", false},
                      EventCase{"InterruptAtHeaderPrompt", SIGINT, "control-C", true},
                      EventCase{"BreakAtInputPrompt", SIGQUIT, "control-BREAK", false},
                      EventCase{"BreakAtHeaderPrompt", SIGQUIT, "control-BREAK", true},
                      EventCase{"CloseAtInputPrompt", SIGHUP, "window-CLOSE", false},
                      EventCase{"CloseAtHeaderPrompt", SIGHUP, "window-CLOSE", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Signals ignored at the start stay ignored: sent at the header prompt, they
// leave the run waiting there, and the end of its input then ends it with
// 24. A signal caught instead would be pending by then and end it first.
TEST(EndingsConsoleEvents, SignalsIgnoredAtStartStayIgnored) {
  const int kIgnored[] = {SIGINT, SIGHUP, SIGTERM};
  TempDir dir;
  write_file(dir.file("in.xyz"), kSmallInput);
  Child run({.args = {"in.xyz"}, .cwd = dir.path(), .stdin_is = Stdin::pipe, .in_child = [&kIgnored] {
               for (int sig : kIgnored) signal(sig, SIG_IGN);
             }});
  ASSERT_TRUE(run.wait_for_output(kAskHead)) << run.so_far().out << run.so_far().err;
  for (int sig : kIgnored) run.send(sig);
  run.close_input();
  SpawnResult r = run.finish();
  EXPECT_EQ(r.exit_code(), 24) << "ended by signal " << r.term_signal();
  EXPECT_TRUE(r.err.starts_with("runlib: severe (24): end-of-file during read, unit -4, file CONIN$\r\r\n"))
      << r.err;
}

// A signal that arrives while a record is being written, its write cut in
// two: the record is finished, the files closed, and the run ends by the
// signal; SIGTERM has no report line.
struct MidRecordCase {
  const char* name;
  int sig;
  std::string err;
  bool buffered = false;  // the list file's one write, at its close, holds every record
};

class EndingsMidRecord : public ::testing::TestWithParam<MidRecordCase> {};

TEST_P(EndingsMidRecord, RecordIsFinishedThenTheSignalEndsTheRun) {
  if (kNoWriteHook) GTEST_SKIP() << kNoWriteHook;
  const MidRecordCase& c = GetParam();
  TempDir dir;
  const std::string input = "HDR\nL1 0 0\nL1 0 1\nL1 0 2\nL1 0 3\n";
  write_file(dir.file("in.xyz"), input);
  // The list file's third write is the second record; the line file's
  // writes follow the list file's.
  std::vector<std::string> args = {"in.xyz", "1", "1", "2", "3", "all.lst"};
  if (c.buffered) args.insert(args.begin(), "--buffered");
  SpawnResult r = run_in(dir.path(), args, "", [&c] { hook_write("all.lst", c.buffered ? 1 : 3, c.sig); });
  EXPECT_EQ(r.term_signal(), c.sig);
  EXPECT_EQ(r.err, c.err);
  EXPECT_EQ(console(r), "");
  const std::string all = "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2) + rec("L1 0 2", 2) + rec("L1 0 3", 2);
  expect_files(dir.path(), {{"in.xyz", input},
                            {"all.lst", c.buffered ? all : "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2)},
                            {"L1.dat", c.buffered ? all : "HDR\r\n" + rec("L1 0 0", 2)}});
}

INSTANTIATE_TEST_SUITE_P(Endings, EndingsMidRecord,
                         ::testing::Values(MidRecordCase{"Terminate", SIGTERM, ""},
                                           MidRecordCase{"BufferedTerminate", SIGTERM, "", true},
                                           MidRecordCase{"Interrupt", SIGINT, event_report("control-C")}),
                         [](const auto& info) { return std::string(info.param.name); });

// The list file a named pipe that the test reads. Every record is twice as
// long as a pipe holds: once the header and part of the first record are
// read, the program is in the middle of writing that record; buffered too,
// a record longer than the buffer being written alone.
class EndingsPipeReader : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    const std::string filler(2 * static_cast<size_t>(fcntl(p[0], F_GETPIPE_SZ)), 'v');
    close(p[0]);
    close(p[1]);
    std::string input = "HDR\n";
    for (int i = 0; i < 3; ++i) input += "L1 0 " + std::to_string(i) + " " + filler + "\n";
    write_file(dir_.file("in.xyz"), input);
    first_record_ = rec("L1 0 0 " + filler, 2);
    ASSERT_EQ(mkfifo(dir_.file("all.lst").c_str(), 0666), 0);
    std::vector<std::string> args = {"in.xyz", "1", "1", "2", "3", "all.lst"};
    if (GetParam()) args.insert(args.begin(), "--buffered");
    run_.emplace(SpawnOptions{.args = args, .cwd = dir_.path()});
    // Opened without waiting for the program; read once it has written.
    fd_ = open(dir_.file("all.lst").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd_, 0);
    pollfd ready = {fd_, POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 60000), 1) << "the program never wrote its list file";
    fcntl(fd_, F_SETFL, 0);
    ASSERT_EQ(read_pipe(kHeader.size() + 1000), kHeader + first_record_.substr(0, 1000));
  }
  void TearDown() override {
    if (fd_ >= 0) close(fd_);
  }

  void expect_ended_at_once(int sig) {
    SpawnResult r = run_->finish();
    EXPECT_EQ(r.term_signal(), sig) << "the interrupt did not wait for the record; exit status " << r.exit_code();
    EXPECT_EQ(r.err, event_report("control-C"));
    EXPECT_EQ(read_file(dir_.file("L1.dat")), kHeader);
  }

  // Up to `limit` bytes, fewer when the program closes the pipe.
  std::string read_pipe(size_t limit) {
    std::string got;
    char buf[65536];
    for (ssize_t n; got.size() < limit && (n = read(fd_, buf, std::min(sizeof buf, limit - got.size()))) > 0;)
      got.append(buf, static_cast<size_t>(n));
    return got;
  }

  const std::string kHeader = "HDR\r\n";
  TempDir dir_;
  std::string first_record_;
  std::optional<Child> run_;
  int fd_ = -1;
};

TEST_P(EndingsPipeReader, InterruptWaitsForTheRecordInFlight) {
  run_->send(SIGINT);
  std::string rest = read_pipe(SIZE_MAX);
  EXPECT_EQ(rest.size(), first_record_.size() - 1000) << "the reader gets the rest of the record, no more";
  EXPECT_TRUE(rest == first_record_.substr(1000));
  SpawnResult r = run_->finish();
  EXPECT_EQ(r.term_signal(), SIGINT) << "exit status " << r.exit_code();
  EXPECT_EQ(r.err, event_report("control-C"));
  EXPECT_EQ(read_file(dir_.file("L1.dat")), kHeader);
}

// A reader that reads no more: the interrupt writes its line at once and
// waits for the record, and a second signal ends the run at once, also a
// second control-C. Both are pending or the first is taken before the
// second comes; either way SIGINT, the lower number, goes first.
TEST_P(EndingsPipeReader, SecondSignalEndsTheRunAtOnce) {
  run_->send(SIGINT);
  run_->send(SIGTERM);
  expect_ended_at_once(SIGTERM);
}

// Two of one number merge unless the first was taken: the second comes once
// the first one's line is out.
TEST_P(EndingsPipeReader, ControlCTwiceEndsTheRunWithItsLine) {
  run_->send(SIGINT);
  ASSERT_TRUE(run_->wait_for_error(event_report("control-C")));
  run_->send(SIGINT);
  expect_ended_at_once(SIGINT);
}

INSTANTIATE_TEST_SUITE_P(Endings, EndingsPipeReader, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Buffered" : "OneWritePerRecord"); });

// Standard error a full pipe that nobody reads: the event's report, or a
// failure report, waits on it, and a second signal ends the run at once by
// that signal, every file whole. The input a pipe held open; the signals
// come once the last file the input makes has its bytes, the lower number
// first (two signals of one number may merge into one).
struct FullErrorCase {
  const char* name;
  std::string input;
  std::string last_file;
  int first, second;
  Files files;
};

class EndingsFullStandardError : public ::testing::TestWithParam<FullErrorCase> {};

TEST_P(EndingsFullStandardError, SecondSignalEndsTheRunAtOnce) {
  const FullErrorCase& c = GetParam();
  TempDir dir;
  Child run({.args = {"/dev/stdin", "1", "1", "2", "3", "all.lst"}, .cwd = dir.path(), .input = c.input,
             .stdin_is = Stdin::pipe, .in_child = error_to_full_pipe});
  ASSERT_TRUE(run.wait_until_read());
  ASSERT_TRUE(wait_for_file(dir.file(c.last_file), c.files.at(c.last_file)));
  run.send(c.first);
  run.send(c.second);
  SpawnResult r = run.finish();
  EXPECT_EQ(r.term_signal(), c.second) << "exit status " << r.exit_code();
  expect_files(dir.path(), c.files);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EndingsFullStandardError,
    ::testing::Values(
        FullErrorCase{"EventReportWhileSplitting", "HDR\nL1 0 0\nL1 0 1\nL2 0 0\n", "L2.dat", SIGINT, SIGTERM,
                      {{"all.lst", "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2)},
                       {"L1.dat", "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2)},
                       {"L2.dat", "HDR\r\n"}}},
        FullErrorCase{"FailureReport", "HDR\nL1 0 0\nL1 0 1\nL1 x 2\n", "L1.dat", SIGHUP, SIGINT,
                      {{"all.lst", "HDR\r\n" + rec("L1 0 0", 2)}, {"L1.dat", "HDR\r\n" + rec("L1 0 0", 2)}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A record the program wrote for the big input below: "Lnnnnn x.5 y.25"
// followed by the code right-aligned in 4 characters.
bool well_formed_record(const std::string& rec, const std::string& id) {
  if (rec.size() < 5 || rec.compare(rec.size() - 4, 3, "   ") != 0) return false;
  if (rec.back() < '0' || rec.back() > '4') return false;
  const std::string text = rec.substr(0, rec.size() - 4);
  if (text.size() < 7 || text.compare(0, id.size(), id) != 0 || text[0] != 'L') return false;
  size_t at = 1;
  auto digits = [&](size_t min, size_t max) {
    size_t from = at;
    while (at < text.size() && at - from < max && isdigit(static_cast<unsigned char>(text[at]))) ++at;
    return at - from >= min;
  };
  auto literal = [&](const char* s) {
    size_t n = strlen(s);
    if (text.compare(at, n, s) != 0) return false;
    at += n;
    return true;
  };
  return digits(5, 5) && literal(" ") && digits(1, 9) && literal(".5 ") && digits(1, 9) &&
         literal(".25") && at == text.size();
}

// The input is standard input, a pipe the test feeds and holds open: the run
// is still splitting, more input waiting, when the interrupt comes after the
// first segment, and it cannot have read more than a few pipefuls by then.
TEST(EndingsConsoleEvents, InterruptWhileSplittingLeavesOnlyWholeRecords) {
  TempDir dir;
  const int kRecords = 100000, kPerLine = 1000;
  std::string big = "LINE X Y\n";
  char buf[64];
  for (int i = 0; i < kRecords; ++i) {
    snprintf(buf, sizeof buf, "L%05d %d.5 %d.25\n", i / kPerLine, i % 997, i % 1013);
    big += buf;
  }
  Child run({.args = {"/dev/stdin", "1", "1", "2", "3", "list.txt"}, .cwd = dir.path(), .input = big,
             .stdin_is = Stdin::pipe});
  ASSERT_TRUE(run.wait_for_output(" Processed: ")) << run.so_far().out << run.so_far().err;
  run.send(SIGINT);
  run.close_input();
  SpawnResult r = run.finish();
  ASSERT_EQ(r.term_signal(), SIGINT) << "the run was not ended by the signal: exit status " << r.exit_code();
  EXPECT_EQ(r.err, event_report("control-C"));
  EXPECT_EQ(r.out.find(" Processing complete"), std::string::npos);

  int line_files = 0;
  size_t listed = 0;
  for (const std::string& name : list_dir(dir.path())) {
    std::string content = read_file(dir.file(name));
    if (content.empty()) continue;  // created, header not yet written
    bool is_list = name == "list.txt";
    std::string id = is_list ? "L" : name.substr(0, name.size() - 4);
    if (!is_list) ++line_files;
    ASSERT_EQ(content.substr(content.size() - 2), "\r\n") << name << " ends inside a record";
    std::vector<std::string> lines = split_lines(content);
    ASSERT_EQ(lines[0], "LINE X Y") << name;
    for (size_t i = 1; i < lines.size(); ++i)
      ASSERT_TRUE(well_formed_record(lines[i], id)) << name << " line " << i + 1 << ": ["
                                                    << lines[i] << "]";
    if (is_list) listed = lines.size() - 1;
  }
  EXPECT_GE(line_files, 1);
  EXPECT_GE(listed, static_cast<size_t>(kPerLine)) << "the signal came before the first segment";
  EXPECT_LT(listed, static_cast<size_t>(kRecords)) << "the signal came after the last record";
}

#endif

}  // namespace
