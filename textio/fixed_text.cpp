// SPDX-License-Identifier: Apache-2.0
#include "textio/fixed_text.h"

#include <cstring>

Text80 make_text80(std::string_view s) {
  Text80 t;
  size_t n = s.size() < kTextLength ? s.size() : kTextLength;
  s.copy(t.c, n);
  memset(t.c + n, ' ', kTextLength - n);
  return t;
}

size_t trimmed_length(const char* s, size_t n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

bool is_blank(std::string_view s) { return trimmed_length(s.data(), s.size()) == 0; }
