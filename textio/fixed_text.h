// SPDX-License-Identifier: Apache-2.0
// Values compared and written without their trailing blanks: a value is
// equal to itself padded with blanks, so code compares and trims on the real
// length alone, whatever the length of a line, a field or a name.
#pragma once
#include <cstddef>
#include <string_view>

// Length without the trailing blanks.
size_t trimmed_length(const char* s, size_t n);
inline std::string_view trimmed(std::string_view s) { return s.substr(0, trimmed_length(s.data(), s.size())); }

bool is_blank(std::string_view s);
