// SPDX-License-Identifier: Apache-2.0
// A fixed buffer for report text that turns every LF into CR LF as it is
// filled, the way the error channel writes its lines.
#pragma once
#include <cstddef>
#include <string_view>

struct ReportText {
  char* p;
  size_t cap;
  size_t len = 0;

  void put(char c) {
    if (c == '\n') put_raw('\r');
    put_raw(c);
  }
  void put(std::string_view s) {
    for (char c : s) put(c);
  }
  void put_raw(char c) {
    if (len < cap) p[len++] = c;
  }
};
