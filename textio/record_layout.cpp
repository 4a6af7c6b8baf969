// SPDX-License-Identifier: Apache-2.0
#include "textio/record_layout.h"

#include <cstring>

namespace {

// Kept inline where the width is a constant: the field's blanks are then one
// store, not a call, and every coded record has one field.
[[gnu::always_inline]] inline void put_field(char* out, int32_t value, int width) {
  char digits[12];
  int n = 0;
  int64_t v = value;
  uint64_t mag = static_cast<uint64_t>(v < 0 ? -v : v);
  do {
    digits[n++] = static_cast<char>('0' + mag % 10);
    mag /= 10;
  } while (mag);
  if (value < 0) digits[n++] = '-';
  bool fits = n <= width;
  memset(out, fits ? ' ' : '*', static_cast<size_t>(width));
  if (!fits) return;
  for (int i = 0; i < n; ++i) out[width - 1 - i] = digits[i];
}

}  // namespace

size_t trimmed_length(const char* s, size_t n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

bool is_blank(std::string_view s) { return trimmed_length(s.data(), s.size()) == 0; }

void put_int_field(char* out, int32_t value, int width) { put_field(out, value, width); }

std::string text_record(std::string_view text) {
  std::string record{text};
  record += kLineEnd;
  return record;
}

size_t finish_coded_record(char* record, size_t len, int32_t code) {
  put_field(record + len, code, kCodeWidth);
  len += kCodeWidth;
  kLineEnd.copy(record + len, kLineEnd.size());
  return len + kLineEnd.size();
}
