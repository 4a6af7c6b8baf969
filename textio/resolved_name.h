// SPDX-License-Identifier: Apache-2.0
// File names as the file system sees them, and the existence check.
#pragma once
#include <string>
#include <string_view>

const size_t kResolvedNameMax = 256;

// At most the first 256 characters of the given name, without leading
// blanks, trailing blanks and trailing NUL bytes, made absolute against the
// current directory with "." and ".." resolved lexically. When the absolute
// form would be longer than 256 characters the trimmed name is used as it is.
// A blank name resolves to the empty name.
std::string resolve_name(std::string_view given);

// Whether an entry of any kind exists under the resolved name; the empty
// name never exists.
bool name_exists(const std::string& resolved);
