// SPDX-License-Identifier: Apache-2.0
// The record scanner over an arbitrary record and column choice.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "splitting/record_scanner.h"
#include "tests/run_ending.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  Columns columns{1 + data[0] % 6, 1 + data[1] % 6, 1 + data[2] % 6, 0};
  columns.last = std::max({columns.line, columns.x, columns.y});
  DataRecord record;
  normalise_record({reinterpret_cast<const char*>(data + 3), size - 3}, record);
  fresh_run_status([&] {
    std::string_view id;
    double x = 0, y = 0;
    scan_record(record, columns, id, x, y);
    if (id.data() < record.text.data() || id.data() + id.size() > record.text.data() + record.len ||
        id.find(' ') != std::string_view::npos)
      abort();
  });
  return 0;
}
