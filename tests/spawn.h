// SPDX-License-Identifier: Apache-2.0
// Runs the real segmentor binary in a scratch directory and captures what it
// does: standard output, standard error, exit status, files. A run that
// hangs is killed and fails the test.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct SpawnOptions {
  std::vector<std::string> args;  // after the program name
  std::string cwd;
  std::string input;              // standard input (a regular file)
  bool stdin_closed = false;      // standard input open for writing only
  // Runs in the child just before exec: drop privileges, set limits,
  // redirect a descriptor.
  std::function<void()> in_child;
};

struct SpawnResult {
  std::string out;
  std::string err;
  int wait_status = 0;
  bool exited() const;
  int exit_code() const;    // -1 when ended by a signal
  int term_signal() const;  // 0 when it exited
};

SpawnResult run_segmentor(const SpawnOptions& options);

// The exit code with which a run ended by the severe failure `number` is
// seen here: its status word 0xC0000000 + number, of which POSIX keeps only
// the low 8 bits (number itself).
int failure_status(int number);

// What separates a folder from the name in it, as the platform writes it.
extern const char kDirSeparator;

// The system's own words, without a line end, for the refusal of a second
// connection to a file of the run and for a full disk.
extern const std::string kBusyText;
extern const std::string kDiskFullText;

// A fresh directory under $TMPDIR (/tmp by default), removed with everything
// in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + kDirSeparator + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
// Names of the regular files in a directory, sorted.
std::vector<std::string> list_dir(const std::string& path);

// Tests of permissions, which root would not meet, run the child as user
// "nobody" when running as root, and as it is otherwise.
// In the child: drops to "nobody" when running as root.
void drop_privileges();
// Why permissions cannot be tested with the child working in dir (empty
// when they can): as root, "nobody" must reach the binary and dir.
std::string permissions_untestable(const std::string& dir);

// In the child (POSIX): preloads the write hook (tests/write_hook.cpp), which
// raises `sig` as the `write`-th write to the file called `file` returns
// with half its bytes out; with `write` 0, as the first write to it that
// comes back short by itself (a file-size limit).
void hook_write(const std::string& file, int write, int sig);

extern const char* const kSegmentorBinary;
