// SPDX-License-Identifier: Apache-2.0
// File names as the file system sees them.
#pragma once
#include <string>
#include <string_view>

#include "platform/platform.h"

// The given name, whatever its length, without leading blanks, trailing
// blanks and trailing NUL bytes, made absolute against the current directory
// with "." and ".." resolved lexically. A name of blanks and NULs alone
// resolves to the empty name.
std::string resolve_name(std::string_view given);

// Whether the named file exists as any kind of entry (links followed),
// opening nothing; the empty name and one the platform cannot take never do.
bool file_exists(std::string_view given);

// Makes the named folder, and the folders above it, where missing: 0 when
// line files can be made in it, otherwise the platform's code of why not.
platform::ErrorCode make_folder(std::string_view given);

// A name inside a folder; the folder's name is taken as it stands, an
// empty one is the current folder.
std::string name_in_folder(std::string_view folder, std::string_view name);
