// SPDX-License-Identifier: Apache-2.0
// File names as the file system sees them.
#pragma once
#include <string>
#include <string_view>

// The given name, whatever its length, without leading blanks, trailing
// blanks and trailing NUL bytes, made absolute against the current directory
// with "." and ".." resolved lexically. A name of blanks and NULs alone
// resolves to the empty name.
std::string resolve_name(std::string_view given);

// Whether the named file exists as any kind of entry (links followed),
// opening nothing; the empty name and one the platform cannot take never do.
bool file_exists(std::string_view given);
