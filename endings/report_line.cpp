// SPDX-License-Identifier: Apache-2.0
#include "endings/report_line.h"

#include <cstdio>

namespace {

struct Message {
  Failure number;
  const char* text;  // %d: unit number, %s: file name
};

const Message kCatalogue[] = {
    {Failure::permission_denied, "permission to access file denied, unit %d, file %s\r\n"},
    {Failure::record_too_long, "input record too long, unit %d, file %s\r\n"},
    {Failure::end_of_file, "end-of-file during read, unit %d, file %s\r\n"},
    {Failure::close_error, "CLOSE error, unit %d, file %s\r\n"},
    {Failure::file_not_found, "file not found, unit %d, file %s\r\n"},
    {Failure::open_failure, "open failure, unit %d, file %s\r\n"},
    {Failure::write_error, "error during write, unit %d, file %s\r\n"},
    {Failure::read_error, "error during read, unit %d, file %s\r\n"},
    {Failure::no_memory, "insufficient virtual memory\r\n"},
    {Failure::no_such_device, "no such device, unit %d, file %s\r\n"},
    {Failure::name_error, "file name specification error, unit %d, file %s\r\n"},
    {Failure::read_only_file, "write to READONLY file, unit %d, file %s\r\n"},
    {Failure::syntax_error, "list-directed I/O syntax error, unit %d, file %s\r\n"},
    {Failure::conversion_error, "input conversion error, unit %d, file %s\r\n"},
    {Failure::record_overflow, "output statement overflows record, unit %d, file %s\r\n"},
    {Failure::event_abort, "program aborting due to %s event\r\n"},
};

const char* message_text(Failure number) {
  for (const Message& m : kCatalogue)
    if (m.number == number) return m.text;
  // A bare LF, unlike the catalogue's CR LF: the fallback has always ended
  // so, and no number the program raises ever reaches it.
  return "Message not found\n";
}

const char* severity_word(Severity s) {
  switch (s) {
    case Severity::info: return "runlib: info";
    case Severity::error: return "runlib: error";
    case Severity::severe: return "runlib: severe";
  }
  return "runlib";
}

}  // namespace

size_t compose_report_line(char* out, size_t cap, Severity severity, Failure number, Unit unit,
                           std::string_view name) {
  ReportText t{out, cap};
  char head[64];
  snprintf(head, sizeof head, "%s (%d): ", severity_word(severity), static_cast<int>(number));
  for (const char* h = head; *h; ++h) t.put_raw(*h);
  for (const char* m = message_text(number); *m; ++m) {
    if (m[0] == '%' && m[1] == 'd') {
      char digits[16];
      snprintf(digits, sizeof digits, "%d", static_cast<int>(unit));
      for (const char* d = digits; *d; ++d) t.put_raw(*d);
      ++m;
    } else if (m[0] == '%' && m[1] == 's') {
      for (char c : name) t.put_raw(c);
      ++m;
    } else {
      t.put_raw(*m);
    }
  }
  return t.len;
}
