// SPDX-License-Identifier: Apache-2.0
// End-to-end tests of how a run ends: the failure report with its traceback
// table, the system line, the exit statuses, the console events (signals)
// and a write to a pipe nobody reads.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cctype>
#include <cstring>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e_support.h"

namespace {

using namespace std::chrono_literals;

const char kInputPrompt[] = " Enter name of the input data file : ";
const char kHeaderPrompt[] = " Enter the number of header lines : ";
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

SpawnResult run_in(const TempDir& dir, const std::vector<std::string>& args,
                   const std::string& input = "") {
  SpawnOptions o;
  o.args = args;
  o.cwd = dir.path();
  o.input = input;
  return run_segmentor(o);
}

// The image name of the program's own rows.
#ifdef _WIN32
const char kImage[] = "segmentor.exe    ";
#else
const char kImage[] = "segmentor        ";
#endif

// Pipes held open to a running child, and signals, are POSIX's.
#ifndef _WIN32
// A run of the program with standard input an open pipe, so that it waits
// at its prompts; standard output and standard error are collected.
class LiveRun {
 public:
  LiveRun(const std::vector<std::string>& args, const std::string& cwd,
          const std::vector<int>& ignored = {}) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(err[1], 2);
      if (chdir(cwd.c_str()) != 0) _exit(127);
      // Start from the default dispositions, whatever the test runner had.
      for (int sig : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE}) signal(sig, SIG_DFL);
      for (int sig : ignored) signal(sig, SIG_IGN);
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      rlimit no_core = {0, 0};
      setrlimit(RLIMIT_CORE, &no_core);
      std::vector<char*> argv{const_cast<char*>(kSegmentorBinary)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(kSegmentorBinary, argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    stdin_ = in[1];
    fds_[0] = out[0];
    fds_[1] = err[0];
  }

  ~LiveRun() {
    close_stdin();
    if (!reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
    }
    for (int fd : fds_)
      if (fd >= 0) close(fd);
  }

  // Collects output until `done` holds, both streams end or the time is up.
  bool read_until(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    char buf[65536];
    while (!done()) {
      if (fds_[0] < 0 && fds_[1] < 0) return false;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
      if (poll(p, 2, static_cast<int>(std::min<long>(left.count(), 100))) < 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (p[i].fd < 0 || !(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        ssize_t n = read(p[i].fd, buf, sizeof buf);
        if (n > 0) {
          (i == 0 ? out : err).append(buf, static_cast<size_t>(n));
        } else {
          close(fds_[i]);
          fds_[i] = -1;
        }
      }
    }
    return true;
  }

  bool wait_for_output(const std::string& text) {
    return read_until([&] { return out.find(text) != std::string::npos; });
  }

  bool running() {
    if (!reaped_ && waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
  }

  void send(int sig) { kill(pid_, sig); }

  void close_stdin() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
  }

  // Reads both streams to their end and returns the wait status.
  int finish() {
    if (!read_until([] { return false; }) && (fds_[0] >= 0 || fds_[1] >= 0)) {
      ADD_FAILURE() << "the run did not end in time";
      kill(pid_, SIGKILL);
    }
    if (!reaped_) waitpid(pid_, &status_, 0);
    reaped_ = true;
    return status_;
  }

  std::string out, err;

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int fds_[2] = {-1, -1};
  int status_ = 0;
  bool reaped_ = false;
};
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
  SpawnResult r = run_in(dir, c.args, c.input);
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
  int main_rows = 0;
  for (const std::string& row : rows) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(row, m, row_layout)) << "row: [" << row << "]";
    EXPECT_EQ(m[4].length(), 10) << "row: [" << row << "]";
    if (m[3] == "SEGMENTOR        ") {
      ++main_rows;
      EXPECT_EQ(m[1], kImage);
      EXPECT_EQ(m[5], "main.cpp");
      EXPECT_TRUE(std::regex_match(m[4].str(), std::regex(" *[1-9][0-9]*"))) << row;
    }
  }
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
  SpawnResult r = run_in(dir, {"in.xyz", "1", "1", "2", "3", "/dev/full"});
  const std::string lines =
      "runlib: No space left on device\r\r\n"
      "runlib: severe (38): error during write, unit 11, file /dev/full\r\r\n";
  EXPECT_EQ(r.err.substr(0, lines.size()), lines);
  EXPECT_EQ(r.err.substr(lines.size(), sizeof kTableHeader - 1), kTableHeader);
  EXPECT_EQ(r.exit_code(), 38);
}

TEST(EndingsClosedPipe, WritingToAPipeNobodyReadsIsFailure38OnConsoleOutput) {
  TempDir dir;
  SpawnOptions o;
  o.args = {"in.xyz", "1", "1", "2", "3"};
  o.cwd = dir.path();
  o.in_child = [] {
    signal(SIGPIPE, SIG_DFL);  // the program itself must ignore it
    int p[2];
    if (pipe(p) != 0) _exit(126);
    close(p[0]);
    dup2(p[1], 1);
    close(p[1]);
  };
  SpawnResult r = run_segmentor(o);
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
  SpawnResult r = run_in(dir, c.args, c.input);
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
  SpawnResult r = run_in(dir, {"absent.xyz", "-5", "0", "0", "0"});
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
  const std::string prompt = c.input_argument ? kHeaderPrompt : kInputPrompt;
  LiveRun run(args, dir.path());
  ASSERT_TRUE(run.wait_for_output(prompt)) << run.out << run.err;
  run.send(c.sig);
  int status = run.finish();
  EXPECT_EQ(run.err, event_report(c.event));
  ASSERT_GE(run.out.size(), prompt.size());
  EXPECT_EQ(run.out.substr(run.out.size() - prompt.size()), prompt);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), c.sig);
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

TEST(EndingsConsoleEvents, SignalsIgnoredAtStartStayIgnored) {
  TempDir dir;
  write_file(dir.file("in.xyz"), kSmallInput);
  LiveRun run({"in.xyz"}, dir.path(), {SIGINT, SIGHUP, SIGTERM});
  ASSERT_TRUE(run.wait_for_output(kHeaderPrompt)) << run.out << run.err;
  run.send(SIGINT);
  run.send(SIGHUP);
  run.send(SIGTERM);
  run.read_until([] { return false; }, 200ms);
  EXPECT_TRUE(run.running()) << "the run ended on an ignored signal";
  EXPECT_EQ(run.err, "");
  run.close_stdin();
  int status = run.finish();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 24);
  EXPECT_EQ(run.err.rfind("runlib: severe (24): end-of-file during read, unit -4, file CONIN$\r\r\n",
                          0),
            0u)
      << run.err;
}

// A signal that arrives while a record is being written, its write cut in
// two: the record is finished, the files closed, and the run ends by the
// signal; SIGTERM has no report line.
struct MidRecordCase {
  const char* name;
  int sig;
  std::string err;
};

class EndingsMidRecord : public ::testing::TestWithParam<MidRecordCase> {};

TEST_P(EndingsMidRecord, RecordIsFinishedThenTheSignalEndsTheRun) {
  const MidRecordCase& c = GetParam();
  TempDir dir;
  const std::string input = "HDR\nL1 0 0\nL1 0 1\nL1 0 2\nL1 0 3\n";
  write_file(dir.file("in.xyz"), input);
  // The list file's third write is the second record; the line file's
  // writes follow the list file's.
  Outcome o = ::run_in(dir.path(), "in.xyz", {"1", "1", "2", "3", "all.lst"},
                       [&c] { hook_write("all.lst", 3, c.sig); });
  EXPECT_EQ(o.r.term_signal(), c.sig);
  EXPECT_EQ(o.r.err, c.err);
  EXPECT_EQ(o.console, "");
  expect_files(dir.path(), {{"in.xyz", input},
                            {"all.lst", "HDR\r\n" + rec("L1 0 0", 2) + rec("L1 0 1", 2)},
                            {"L1.dat", "HDR\r\n" + rec("L1 0 0", 2)}});
}

INSTANTIATE_TEST_SUITE_P(Endings, EndingsMidRecord,
                         ::testing::Values(MidRecordCase{"Terminate", SIGTERM, ""},
                                           MidRecordCase{"Interrupt", SIGINT, event_report("control-C")}),
                         [](const auto& info) { return std::string(info.param.name); });

// The list file a named pipe that the test reads. Every record is twice as
// long as a pipe holds: once the header and part of the first record are
// read, the program is in the middle of writing that record.
class EndingsPipeReader : public ::testing::Test {
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
    run_.emplace(std::vector<std::string>{"in.xyz", "1", "1", "2", "3", "all.lst"}, dir_.path());
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
  std::optional<LiveRun> run_;
  int fd_ = -1;
};

TEST_F(EndingsPipeReader, InterruptWaitsForTheRecordInFlight) {
  run_->send(SIGINT);
  std::string rest = read_pipe(SIZE_MAX);
  EXPECT_EQ(rest.size(), first_record_.size() - 1000) << "the reader gets the rest of the record, no more";
  EXPECT_TRUE(rest == first_record_.substr(1000));
  int status = run_->finish();
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_EQ(run_->err, event_report("control-C"));
  EXPECT_EQ(read_file(dir_.file("L1.dat")), kHeader);
}

// A reader that reads no more: the interrupt waits for the record, and a
// second signal ends the run at once. Both are pending or the first is
// taken before the second comes; either way SIGINT, the lower number, goes
// first.
TEST_F(EndingsPipeReader, SecondSignalEndsTheRunAtOnce) {
  run_->send(SIGINT);
  run_->send(SIGTERM);
  int status = run_->finish();
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGTERM) << "the interrupt did not wait for the record";
  EXPECT_EQ(run_->err, "");
  EXPECT_EQ(read_file(dir_.file("L1.dat")), kHeader);
}

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

TEST(EndingsConsoleEvents, InterruptWhileSplittingLeavesOnlyWholeRecords) {
  TempDir dir;
  const int kRecords = 2000000, kPerLine = 1000;
  std::string big = "LINE X Y\n";
  big.reserve(kRecords * 22);
  char buf[64];
  for (int i = 0; i < kRecords; ++i) {
    snprintf(buf, sizeof buf, "L%05d %d.5 %d.25\n", i / kPerLine, i % 997, i % 1013);
    big += buf;
  }
  write_file(dir.file("big.xyz"), big);
  big.clear();

  LiveRun run({"big.xyz", "1", "1", "2", "3", "list.txt"}, dir.path());
  ASSERT_TRUE(run.wait_for_output(" Processed: ")) << run.out << run.err;
  run.read_until([] { return false; }, 150ms);
  ASSERT_TRUE(run.running()) << "the run finished before the signal; make the input bigger";
  run.send(SIGINT);
  int status = run.finish();
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run was not ended by the signal: exit status "
                                   << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_EQ(run.err, event_report("control-C"));
  EXPECT_EQ(run.out.find(" Processing complete"), std::string::npos);

  int line_files = 0;
  size_t listed = 0;
  for (const std::string& name : list_dir(dir.path())) {
    if (name == "big.xyz") continue;
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
