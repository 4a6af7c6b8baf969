// SPDX-License-Identifier: Apache-2.0
#include "textio/fixed_text.h"

size_t trimmed_length(const char* s, size_t n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

bool is_blank(std::string_view s) { return trimmed_length(s.data(), s.size()) == 0; }
