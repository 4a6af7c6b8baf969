// SPDX-License-Identifier: Apache-2.0
// End-to-end tests of how a run ends that only POSIX has: a write to a pipe
// nobody reads, and the console events as signals (under Wine no test has a
// console to send Windows' events to).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace {

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

// ---------------------------------------------------------------------------
// Console events.

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
    ASSERT_EQ(poll(&ready, 1, static_cast<int>(kTestDeadline.count())), 1) << "the program never wrote its list file";
    fcntl(fd_, F_SETFL, 0);
    ASSERT_EQ(read_up_to(fd_, kHeader.size() + 1000), kHeader + first_record_.substr(0, 1000));
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

  const std::string kHeader = "HDR\r\n";
  TempDir dir_;
  std::string first_record_;
  std::optional<Child> run_;
  int fd_ = -1;
};

TEST_P(EndingsPipeReader, InterruptWaitsForTheRecordInFlight) {
  run_->send(SIGINT);
  std::string rest = read_up_to(fd_, SIZE_MAX);
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
// come once the run has dealt with it and read the line that fails, if any,
// the lower number first (two signals of one number may merge into one).
struct FullErrorCase {
  const char* name;
  std::string input, failing;
  int first, second;
  Files files;
};

class EndingsFullStandardError : public ::testing::TestWithParam<FullErrorCase> {};

TEST_P(EndingsFullStandardError, SecondSignalEndsTheRunAtOnce) {
  const FullErrorCase& c = GetParam();
  TempDir dir;
  Child run({.args = {"/dev/stdin", "1", "1", "2", "3", "all.lst"}, .cwd = dir.path(), .input = c.input,
             .stdin_is = Stdin::pipe, .in_child = error_to_full_pipe});
  ASSERT_TRUE(run.wait_until_idle());
  run.feed(c.failing);
  ASSERT_TRUE(run.wait_until_read());
  run.send(c.first);
  run.send(c.second);
  SpawnResult r = run.finish();
  EXPECT_EQ(r.term_signal(), c.second) << "exit status " << r.exit_code();
  expect_files(dir.path(), c.files);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EndingsFullStandardError,
    ::testing::Values(
        FullErrorCase{"EventReportWhileSplitting", "HDR\nL1 0 0\nL1 0 1\nL2 0 0\n", "", SIGINT, SIGTERM,
                      {{"all.lst", "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2)},
                       {"L1.dat", "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2)},
                       {"L2.dat", "HDR\r\n"}}},
        FullErrorCase{"FailureReport", "HDR\nL1 0 0\nL1 0 1\n", "L1 x 2\n", SIGHUP, SIGINT,
                      {{"all.lst", "HDR\r\n" + rec("L1 0 0", 2)}, {"L1.dat", "HDR\r\n" + rec("L1 0 0", 2)}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A record the program wrote for the big input below: "Lnnnnn x.5 y.25"
// followed by the code right-aligned in 4 characters.
bool well_formed_record(const std::string& rec, const std::string& id) {
  static const std::regex layout("L[0-9]{5} [0-9]{1,9}\\.5 [0-9]{1,9}\\.25   [0-4]");
  return rec.starts_with(id) && std::regex_match(rec, layout);
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
}  // namespace
