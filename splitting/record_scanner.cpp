#include "splitting/record_scanner.h"

#include "textio/free_format.h"
#include "textio/record_files.h"

bool next_record(DataRecord& record) {
  std::string_view line;
  do {
    if (!read_record(kUnitInput, &line)) return false;
  } while (is_blank(line));  // a TAB or a comma makes a line not blank
  size_t len = 0, kept = 0;
  for (char c : line) {
    if (c == '\t' || c == ',') c = ' ';
    record.text[len++] = c;
    if (c != ' ') kept = len;
  }
  record.len = kept;
  return true;
}

void scan_record(const DataRecord& record, const Columns& columns, LineId& id, double& x, double& y) {
  const char* text = record.text;
  size_t len = record.len;
  size_t pos = 0;
  while (pos < len && text[pos] == ' ') ++pos;
  for (int32_t column = 1; column <= columns.last; ++column) {
    size_t end = pos;
    while (end < len && text[end] != ' ') ++end;
    // Fields beyond the record's end are blank.
    std::string_view field{text + pos, std::min(end - pos, kTextLength)};
    pos = end;
    while (pos < len && text[pos] == ' ') ++pos;
    if (column == columns.line) {
      field.copy(id.c, field.size());
      id.len = field.size();
    } else if (column == columns.x) {
      read_text_value(field, x);
    } else if (column == columns.y) {
      read_text_value(field, y);
    }
  }
}
