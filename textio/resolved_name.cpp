// SPDX-License-Identifier: Apache-2.0
#include "textio/resolved_name.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace {

// Without leading blanks and trailing blanks and NULs: nothing is left of a
// text of blanks and NULs alone, whatever its order.
std::string_view trim_given(std::string_view s) {
  size_t last = s.find_last_not_of(std::string_view(" \0", 2));
  if (last == std::string_view::npos) return {};
  size_t first = s.find_first_not_of(' ');
  return s.substr(first, last - first + 1);
}

// Joins path components, dropping "." and letting ".." remove the one before.
std::string normalise(std::string_view absolute) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < absolute.size()) {
    size_t slash = absolute.find('/', i);
    if (slash == std::string_view::npos) slash = absolute.size();
    std::string_view part = absolute.substr(i, slash - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = slash + 1;
  }
  std::string out;
  for (std::string_view p : parts) {
    out += '/';
    out += p;
  }
  return out.empty() ? "/" : out;
}

}  // namespace

std::string resolve_name(std::string_view given) {
  std::string_view name = trim_given(given);
  if (name.empty()) return {};
  std::string absolute;
  if (name[0] == '/') {
    absolute = name;
  } else {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return std::string(name);
    absolute = cwd;
    absolute += '/';
    absolute += name;
  }
  return normalise(absolute);
}

bool name_exists(const std::string& resolved) {
  struct stat st;
  // A name with a NUL inside is no name the file system knows.
  return !resolved.empty() && resolved.find('\0') == std::string::npos && stat(resolved.c_str(), &st) == 0;
}
