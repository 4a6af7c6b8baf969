// SPDX-License-Identifier: Apache-2.0
// The lexical resolution of "." and ".." that both platforms' absolute names
// share: pure text, no system call.
#pragma once
#include <string_view>
#include <vector>

namespace platform {

// The components of a path, split at any of `separators`, with empty and "."
// components left out and each ".." taking away the one before it (nothing
// above the first).
std::vector<std::string_view> resolved_components(std::string_view path, std::string_view separators);

}  // namespace platform
