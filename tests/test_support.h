// SPDX-License-Identifier: Apache-2.0
// What unit and end-to-end tests share: scratch directories, whole files,
// and the bits of a number as hex.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The longest a test waits for anything: a run, a pipe, a child.
inline constexpr std::chrono::milliseconds kTestDeadline{60000};

// The status word of a run ended by failure `number`: 0xC0000000 + number.
inline long long failure(int number) { return 0xC0000000LL + number; }

// What separates a folder from the name in it, as the platform writes it.
#ifdef _WIN32
inline constexpr char kDirSeparator = '\\';
#else
inline constexpr char kDirSeparator = '/';
#endif

// A name written with '/' with the platform's separators.
std::string native(std::string name);

// A fresh directory under the system's folder for temporary files, removed
// with everything in it; anyone may write in it.
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
// Names of the regular files in a directory, sorted.
std::vector<std::string> list_dir(const std::string& path);

// Sixteen hex digits, as the bits of a double are shown.
std::string hex(uint64_t bits);
