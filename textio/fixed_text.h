// SPDX-License-Identifier: Apache-2.0
// Fixed-length text: a value of fixed capacity, padded on the right with
// blanks. Two values are equal when equal after padding, so code that keeps
// a value's real length compares and trims on that length alone.
#pragma once
#include <cstddef>
#include <string_view>

const size_t kTextLength = 80;      // names, arguments, fields, identifiers
const size_t kRecordLength = 1024;  // records and header lines

struct Text80 {
  char c[kTextLength];
  std::string_view view() const { return {c, kTextLength}; }
};

// The text cut to 80 characters or padded with blanks.
Text80 make_text80(std::string_view s);

// Length without the trailing blanks.
size_t trimmed_length(const char* s, size_t n);
inline std::string_view trimmed(std::string_view s) { return s.substr(0, trimmed_length(s.data(), s.size())); }

bool is_blank(std::string_view s);
