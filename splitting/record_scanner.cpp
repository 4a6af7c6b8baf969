// SPDX-License-Identifier: Apache-2.0
#include "splitting/record_scanner.h"

#include <cstdint>

#include "textio/fixed_text.h"
#include "textio/free_format.h"
#include "textio/record_files.h"

namespace {

// TAB and comma become blanks; every other byte stays.
struct Normalised {
  char to[256];
  constexpr Normalised() : to() {
    for (int c = 0; c < 256; ++c) to[c] = c == '\t' || c == ',' ? ' ' : static_cast<char>(c);
  }
};
constexpr Normalised kNormalised;

// Kept inline in next_record: it runs once for every record.
[[gnu::always_inline]] inline void normalise(std::string_view line, DataRecord& record) {
  if (record.text.size() < line.size() + kRecordRoom) record.text.resize(line.size() + kRecordRoom);
  char* out = record.text.data();
  for (char c : line) *out++ = kNormalised.to[static_cast<unsigned char>(c)];
  record.len = trimmed_length(record.text.data(), line.size());
}

}  // namespace

void normalise_record(std::string_view line, DataRecord& record) { normalise(line, record); }

bool next_record(DataRecord& record) {
  std::string_view line;
  do {
    if (!read_record(kUnitInput, &line)) return false;
  } while (is_blank(line));  // a TAB or a comma makes a line not blank
  normalise(line, record);
  return true;
}

namespace {

// The first of the three columns at or after `column`: past the record's end
// every field is blank, and only these columns take their field.
int64_t next_used_column(const Columns& c, int64_t column) {
  int64_t next = INT64_MAX;
  for (int64_t used : {c.line, c.x, c.y})
    if (used >= column && used < next) next = used;
  return next;
}

}  // namespace

void scan_record(const DataRecord& record, const Columns& columns, std::string_view& id, double& x, double& y) {
  const char* text = record.text.data();
  size_t len = record.len;
  size_t pos = 0;
  while (pos < len && text[pos] == ' ') ++pos;
  for (int64_t column = 1; column <= columns.last; ++column) {
    if (pos == len && (column = next_used_column(columns, column)) > columns.last) break;
    size_t end = pos;
    while (end < len && text[end] != ' ') ++end;
    // Fields beyond the record's end are blank.
    std::string_view field{text + pos, end - pos};
    pos = end;
    while (pos < len && text[pos] == ' ') ++pos;
    if (column == columns.line) {
      id = field;
    } else if (column == columns.x) {
      read_text_value(field, x);
    } else if (column == columns.y) {
      read_text_value(field, y);
    }
  }
}
