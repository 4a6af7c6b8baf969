// SPDX-License-Identifier: Apache-2.0
// Runs the real segmentor binary in a scratch directory and captures what it
// does: standard output, standard error, exit status, files.
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

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
// Names of the regular files in a directory, sorted.
std::vector<std::string> list_dir(const std::string& path);

// Drops to the user "nobody" (for tests of permissions: root ignores them).
void drop_privileges();

extern const char* const kSegmentorBinary;
