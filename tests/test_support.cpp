// SPDX-License-Identifier: Apache-2.0
#include "tests/test_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

std::string native(std::string name) {
  for (char& c : name)
    if (c == '/') c = kDirSeparator;
  return name;
}

// create_directory makes it, or says that it is there already.
TempDir::TempDir() {
  const fs::path base = fs::temp_directory_path();
  std::random_device random;
  fs::path made;
  do made = base / ("segmentor-test-" + std::to_string(random()));
  while (!fs::create_directory(made));
  path_ = made.string();
  fs::permissions(made, fs::perms::all);  // a child that dropped its privileges may write here
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> list_dir(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path))
    if (e.is_regular_file()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string hex(uint64_t bits) {
  char buf[20];
  snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(bits));
  return buf;
}
