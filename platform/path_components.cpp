// SPDX-License-Identifier: Apache-2.0
#include "platform/path_components.h"

#include <algorithm>

namespace platform {

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

}  // namespace platform
