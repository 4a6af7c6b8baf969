// SPDX-License-Identifier: Apache-2.0
// The record scanner: data records from the input, their fields, the line
// identifier and the X and Y coordinates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "textio/fixed_text.h"

// A data record as read, cut to 1024 characters, with TABs and commas turned
// into blanks. It is kept at its real length without trailing blanks: the
// padding to 1024 blanks is implied. Room is left behind the text for the
// direction code and the line end of the record written from it.
struct DataRecord {
  char text[kRecordLength + 6];
  size_t len = 0;
  bool blank() const { return len == 0; }
};

// A line identifier: a field of at most 80 characters, which holds no blank,
// so its bytes are its value with the padding implied.
struct LineId {
  char c[kTextLength];
  size_t len = 0;
  std::string_view view() const { return {c, len}; }
  bool operator==(const LineId& o) const { return len == o.len && memcmp(c, o.c, len) == 0; }
};

struct Columns {
  int32_t line;
  int32_t x;
  int32_t y;
  int32_t last;  // the largest of the three
};

// Fills `record` with the next line of the input that is not all blanks.
// False at the end of the input.
bool next_record(DataRecord& record);

// Cuts the fields up to the last needed column. The identifier, X and Y are
// replaced only by their own fields, the first match winning when columns are
// equal; a coordinate is read as a free-format real.
void scan_record(const DataRecord& record, const Columns& columns, LineId& id, double& x, double& y);
