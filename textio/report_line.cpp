// SPDX-License-Identifier: Apache-2.0
#include "textio/report_line.h"

#include <cstdio>

#include "textio/report_text.h"

namespace {

struct Message {
  Failure number;
  const char* text;  // %d: unit number, %s: file name
};

const Message kCatalogue[] = {
    {kPermissionDenied, "permission to access file denied, unit %d, file %s\r\n"},
    {kRecordTooLong, "input record too long, unit %d, file %s\r\n"},
    {kEndOfFile, "end-of-file during read, unit %d, file %s\r\n"},
    {kCloseError, "CLOSE error, unit %d, file %s\r\n"},
    {kFileNotFound, "file not found, unit %d, file %s\r\n"},
    {kOpenFailure, "open failure, unit %d, file %s\r\n"},
    {kWriteError, "error during write, unit %d, file %s\r\n"},
    {kReadError, "error during read, unit %d, file %s\r\n"},
    {kNoMemory, "insufficient virtual memory\r\n"},
    {kNoSuchDevice, "no such device, unit %d, file %s\r\n"},
    {kNameError, "file name specification error, unit %d, file %s\r\n"},
    {kReadOnlyFile, "write to READONLY file, unit %d, file %s\r\n"},
    {kSyntaxError, "list-directed I/O syntax error, unit %d, file %s\r\n"},
    {kConversionError, "input conversion error, unit %d, file %s\r\n"},
    {kRecordOverflow, "output statement overflows record, unit %d, file %s\r\n"},
    {kEventAbort, "program aborting due to %s event\r\n"},
};

const char* message_text(Failure number) {
  for (const Message& m : kCatalogue)
    if (m.number == number) return m.text;
  return "Message not found\n";
}

const char* severity_word(Severity s) {
  switch (s) {
    case kInfo: return "runlib: info";
    case kError: return "runlib: error";
    case kSevere: return "runlib: severe";
  }
  return "runlib";
}

}  // namespace

size_t compose_report_line(char* out, size_t cap, Severity severity, Failure number, int unit,
                           std::string_view name) {
  ReportText t{out, cap};
  char head[64];
  snprintf(head, sizeof head, "%s (%d): ", severity_word(severity), static_cast<int>(number));
  for (const char* h = head; *h; ++h) t.put_raw(*h);
  for (const char* m = message_text(number); *m; ++m) {
    if (m[0] == '%' && m[1] == 'd') {
      char digits[16];
      snprintf(digits, sizeof digits, "%d", unit);
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
