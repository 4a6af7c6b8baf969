// SPDX-License-Identifier: Apache-2.0
// The record scanner over an arbitrary record and column choice.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_ending.h"
#include "splitting/record_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  Columns columns{1 + data[0] % 6, 1 + data[1] % 6, 1 + data[2] % 6, 0};
  columns.last = std::max({columns.line, columns.x, columns.y});
  DataRecord record;
  size_t n = std::min(size - 3, kRecordLength);
  memcpy(record.text, data + 3, n);
  for (size_t i = 0; i < n; ++i)
    if (record.text[i] == '\t' || record.text[i] == ',') record.text[i] = ' ';
  record.len = trimmed_length(record.text, n);
  fuzz_run([&] {
    LineId id;
    double x = 0, y = 0;
    scan_record(record, columns, id, x, y);
    if (id.len > kTextLength || memchr(id.c, ' ', id.len)) abort();
  });
  return 0;
}
