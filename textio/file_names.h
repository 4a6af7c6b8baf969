// SPDX-License-Identifier: Apache-2.0
// File names as the file system sees them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The given name, whatever its length, without leading blanks, trailing
// blanks and trailing NUL bytes, made absolute against the current directory
// with "." and ".." resolved lexically. A name of blanks and NULs alone
// resolves to the empty name.
std::string resolve_name(std::string_view given);

// Whether the named file exists as any kind of entry (links followed),
// opening nothing; the empty name and one the platform cannot take never do.
bool file_exists(std::string_view given);

// The components of a path, split at any of `separators`, with empty and "."
// components left out and each ".." taking away the one before it (nothing
// above the first).
std::vector<std::string_view> resolved_components(std::string_view path, std::string_view separators);
