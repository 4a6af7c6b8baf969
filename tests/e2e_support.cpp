// SPDX-License-Identifier: Apache-2.0
#include "tests/e2e_support.h"

#include <gtest/gtest.h>

#include "driver/version.h"

std::string field(long value, size_t width) {
  std::string s = std::to_string(value);
  return s.size() > width ? std::string(width, '*') : std::string(width - s.size(), ' ') + s;
}

std::string rec(const std::string& text, int code) { return text + field(code, 4) + "\r\n"; }

std::string count_line(const std::string& id, int records) {
  return " Processed: " + id + field(records, 6) + "\r\n";
}

std::string complete(int segments) { return " Processing complete: " + field(segments, 6) + "\r\n"; }

std::string system_line(const std::string& text) { return "runlib: " + text + "\r\r\n"; }

std::string report(int number, const std::string& text) {
  return "runlib: severe (" + std::to_string(number) + "): " + text + "\r\r\n";
}

std::string event_report(const std::string& event) {
  return "runlib: error (200): program aborting due to " + event + " event\r\r\n";
}

#ifdef SEGMENTOR_NO_LIBBACKTRACE
const char* const kNoDebugInfoReader = "built without libbacktrace: no row names a routine, line or source";
#else
const char* const kNoDebugInfoReader = nullptr;
#endif

std::string version_row() {
  std::string row = "*               Version " + std::string(kShownVersion) + " (" + std::string(kShownPlatform) + ")";
  return row + std::string(43 - row.size(), ' ') + "*";
}

SpawnResult run_in(const std::string& dir, const std::vector<std::string>& args, const std::string& input,
                   std::function<void()> in_child, Stdin stdin_is) {
  return run_segmentor({args, dir, input, stdin_is, std::move(in_child)});
}

std::string console(const SpawnResult& r) {
  size_t p = r.out.find(kAnnouncement);
  return p == std::string::npos ? "<no announcement>" : r.out.substr(p + kAnnouncement.size());
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back(text.substr(start));
  return lines;
}

void expect_err_start(const SpawnResult& r, const std::string& want) { EXPECT_EQ(r.err.substr(0, want.size()), want); }

void expect_files(const std::string& dir, const Files& want, const std::string& left_out) {
  std::vector<std::string> names, want_names;
  for (const std::string& n : list_dir(dir))
    if (n != left_out) names.push_back(n);
  for (const auto& [n, bytes] : want) want_names.push_back(n);
  EXPECT_EQ(names, want_names);
  for (const auto& [n, bytes] : want) EXPECT_EQ(read_file(dir + "/" + n), bytes) << "file " << n;
}
