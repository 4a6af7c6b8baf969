// SPDX-License-Identifier: Apache-2.0
#include "textio/file_names.h"

#include "platform/platform.h"

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

platform::ErrorCode make_folder(std::string_view given) {
  platform::ErrorCode error = 0;
  return platform::make_folders(resolve_name(given), &error) ? 0 : error;
}

std::string name_in_folder(std::string_view folder, std::string_view name) {
  std::string joined{folder};
  if (!joined.empty()) joined += '/';  // every platform takes it
  joined += name;
  return joined;
}
