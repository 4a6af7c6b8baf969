// SPDX-License-Identifier: Apache-2.0
#include "textio/file_names.h"

#include <algorithm>

#include "textio/platform.h"

namespace {

// Without leading blanks and trailing blanks and NULs: nothing is left of a
// text of blanks and NULs alone, whatever its order.
std::string_view trim_given(std::string_view s) {
  size_t last = s.find_last_not_of(std::string_view(" \0", 2));
  if (last == std::string_view::npos) return {};
  size_t first = s.find_first_not_of(' ');
  return s.substr(first, last - first + 1);
}

}  // namespace

std::string resolve_name(std::string_view given) { return platform::absolute_name(trim_given(given)); }

bool file_exists(std::string_view given) { return platform::name_exists(resolve_name(given)); }

std::vector<std::string_view> resolved_components(std::string_view path, std::string_view separators) {
  std::vector<std::string_view> parts;
  for (size_t i = 0; i < path.size();) {
    size_t end = std::min(path.find_first_of(separators, i), path.size());
    std::string_view part = path.substr(i, end - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = end + 1;
  }
  return parts;
}
