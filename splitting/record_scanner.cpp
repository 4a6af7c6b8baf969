// SPDX-License-Identifier: Apache-2.0
#include "splitting/record_scanner.h"

#include <cstdint>
#include <cstring>

#include "textio/free_format.h"
#include "textio/record_files.h"
#include "textio/record_layout.h"

namespace {

// TAB and comma become blanks; every other byte stays.
char normalised(char c) { return c == '\t' || c == ',' ? ' ' : c; }

// Bytes normalised together: a block of a fixed size, copied through a local
// array, is one the compiler converts with vector instructions.
const size_t kNormaliseBlock = 16;

// Makes `line` the record: TABs and commas become blanks, trailing blanks
// are not counted. Kept inline in next_record: it runs once for every record.
[[gnu::always_inline]] inline void normalise(std::string_view line, DataRecord* record) {
  size_t n = line.size();
  if (record->text.size() < n + kRecordRoom) record->text.resize(n + kRecordRoom);
  char* out = record->text.data();
  size_t i = 0;
  for (; i + kNormaliseBlock <= n; i += kNormaliseBlock) {
    char block[kNormaliseBlock];
    memcpy(block, line.data() + i, kNormaliseBlock);
    for (char& c : block) c = normalised(c);
    memcpy(out + i, block, kNormaliseBlock);
  }
  for (; i < n; ++i) out[i] = normalised(line[i]);
  record->len = trimmed_length(out, n);
}

}  // namespace

bool next_record(DataRecord* record) {
  std::string_view line;
  do {
    if (!read_record(FileUnit::input, &line)) return false;
  } while (is_blank(line));  // a TAB or a comma makes a line not blank
  normalise(line, record);
  return true;
}

namespace {

// A coordinate that cannot be read ends the run with a report that says
// where it lies. Fields are read in column order: the first bad one wins.
// Strict, a field that is no decimal number is a syntax error, whatever the
// free format would make of it; a missing one is still the end of the data.
// Kept inline in scan_record: it runs for both coordinates of every record.
[[gnu::always_inline]] inline void read_coordinate(std::string_view field, int64_t column, bool strict,
                                                   double* target) {
  if (strict && !field.empty() && !is_decimal_number(field)) {
    raise_field_failure(Failure::syntax_error, FileUnit::input, column, field);
  }
  Failure failure;
  if (!read_field_value(field, target, &failure)) raise_field_failure(failure, FileUnit::input, column, field);
}

// The first of the three columns at or after `column`: past the record's end
// every field is blank, and only these columns take their field.
int64_t next_used_column(const Columns& c, int64_t column) {
  int64_t next = INT64_MAX;
  for (int64_t used : {c.line, c.x, c.y})
    if (used >= column && used < next) next = used;
  return next;
}

}  // namespace

void scan_record(const DataRecord& record, const Columns& columns, std::string_view* id, double* x, double* y) {
  const char* text = record.text.data();
  size_t len = record.len;
  size_t pos = 0;
  while (pos < len && text[pos] == ' ') ++pos;
  const int64_t last = columns.last();
  for (int64_t column = 1; column <= last; ++column) {
    if (pos == len) {
      // Past the record's end: on to the next column that takes its field.
      column = next_used_column(columns, column);
      if (column > last) break;
    }
    // The library's search beats a loop over the bytes of a field.
    const char* blank = static_cast<const char*>(memchr(text + pos, ' ', len - pos));
    size_t end = blank ? static_cast<size_t>(blank - text) : len;
    // Fields beyond the record's end are blank.
    std::string_view field{text + pos, end - pos};
    pos = end;
    while (pos < len && text[pos] == ' ') ++pos;
    if (column == columns.line) {
      *id = field;
    } else if (column == columns.x) {
      read_coordinate(field, column, columns.strict, x);
    } else if (column == columns.y) {
      read_coordinate(field, column, columns.strict, y);
    }
  }
}
