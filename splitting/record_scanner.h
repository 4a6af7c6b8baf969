// SPDX-License-Identifier: Apache-2.0
// The record scanner: data records from the input, their fields, the line
// identifier and the X and Y coordinates.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "textio/record_layout.h"

// A data record as read, whole, with TABs and commas turned into blanks. It
// is kept at its real length without trailing blanks in a buffer that has
// kRecordRoom bytes more and keeps its capacity from record to record.
struct DataRecord {
  std::string text;
  size_t len = 0;
  bool blank() const { return len == 0; }
};

struct Columns {
  int32_t line;
  int32_t x;
  int32_t y;
  bool strict = false;  // a coordinate must be a decimal number: no other form of the free format
  int32_t last() const { return std::max({line, x, y}); }
};

// Fills `record` with the next line of the input that is not all blanks.
// False at the end of the input.
bool next_record(DataRecord* record);

// Cuts the fields up to the last needed column, each whole. The identifier
// (a field, so it holds no blank), X and Y are replaced only by their own
// fields, the first match winning when columns are equal; a coordinate is
// read as a free-format real. The identifier column is always reached, so
// *id is always replaced: by a view of the record's own text, valid while
// the record is not read into again.
void scan_record(const DataRecord& record, const Columns& columns, std::string_view* id, double* x, double* y);
