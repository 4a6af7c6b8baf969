// SPDX-License-Identifier: Apache-2.0
// Runs the real segmentor binary in a scratch directory and captures what it
// does: standard output, standard error, exit status, files. A run that
// hangs is killed and fails the test.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/test_support.h"

// What the program gets as standard input.
enum class Stdin {
  file,        // a regular file holding `input`
  write_only,  // open for writing only: every read is refused
  pipe,        // a pipe holding `input`, which a Child can go on feeding (POSIX)
};

struct SpawnOptions {
  std::vector<std::string> args = {};  // after the program name
  std::string cwd = "";
  std::string input = "";
  Stdin stdin_is = Stdin::file;
  // Runs in the child just before exec: drop privileges, set limits,
  // redirect a descriptor.
  std::function<void()> in_child = {};
};

struct SpawnResult {
  std::string out;
  std::string err;
  int wait_status = 0;
  bool exited() const;
  int exit_code() const;    // -1 when ended by a signal
  int term_signal() const;  // 0 when it exited
};

// A whole run: standard input as the options say (a pipe is closed once it
// holds `input`), everything collected until the program ends.
SpawnResult run_segmentor(const SpawnOptions& options);

// A run in progress (POSIX), for tests that act while it works: feed its
// standard input pipe, wait for its output, send it signals. The program
// starts from the default dispositions of the signals it handles, none
// blocked, and dumps no core. Its output is collected all along; at a
// deadline a run still going is killed, which fails the test.
class Child {
 public:
  explicit Child(const SpawnOptions& options);
  ~Child();  // kills a run that has not ended
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Queues bytes for standard input, written as the program reads them
  // while the test waits; the pipe closes once they are all written.
  void feed(const std::string& bytes);
  void close_input();
  // Until the program has read everything fed (false if it ended first).
  bool wait_until_read();
  // Until `text` shows on standard output (false if the run ended first).
  bool wait_for_output(const std::string& text);
  void send(int sig);
  // Collects the rest and waits for the end.
  SpawnResult finish();
  // Output and errors so far.
  const SpawnResult& so_far() const { return result_; }

 private:
  bool pump(const std::function<bool()>& done, bool until_read = false);
  void write_pending();

  pid_t pid_ = -1;
  int in_ = -1;  // the pipe to standard input
  int streams_[2] = {-1, -1};
  std::string pending_;
  bool close_input_ = false;
  bool killed_ = false;
  bool reaped_ = false;
  std::chrono::steady_clock::time_point deadline_;
  SpawnResult result_;
};

// The exit code with which a run ended by the severe failure `number` is
// seen here: its status word 0xC0000000 + number, of which POSIX keeps only
// the low 8 bits (number itself).
int failure_status(int number);

// The system's own words, without a line end, for the refusal of a second
// connection to a file of the run, for a full disk, and for a file where a
// folder should be.
extern const std::string kBusyText;
extern const std::string kDiskFullText;
extern const std::string kNotAFolderText;

bool file_exists(const std::string& path);

// Tests of permissions, which root would not meet, run the child as user
// "nobody" when running as root, and as it is otherwise.
// In the child: drops to "nobody" when running as root.
void drop_privileges();
// Why permissions cannot be tested with the child working in dir (empty
// when they can): as root, "nobody" must reach the binary and dir.
std::string permissions_untestable(const std::string& dir);

// In the child (POSIX): preloads the write hook (tests/write_hook.cpp), which
// raises `sig`, then `then` when given, as the `write`-th write to the file
// called `file` returns with half its bytes out; with `write` 0, as the first
// write to it that comes back short by itself (a file-size limit); with -1,
// as the file is closed.
void hook_write(const std::string& file, int write, int sig, int then = 0);
// Why the write hook cannot reach the program, or null when it can.
extern const char* const kNoWriteHook;
// In the child (POSIX): standard output a pipe whose reader has gone.
void output_to_closed_pipe();
// In the child (POSIX): standard error a full pipe whose reader never reads.
void error_to_full_pipe();
// Until the file holds exactly `bytes`; false at a deadline.
bool wait_for_file(const std::string& path, const std::string& bytes);

extern const char* const kSegmentorBinary;
