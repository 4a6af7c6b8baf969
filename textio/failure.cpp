// SPDX-License-Identifier: Apache-2.0
#include "textio/failure.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textio/console_events.h"
#include "textio/report_text.h"
#include "textio/termination.h"
#include "textio/traceback.h"
#include "textio/units.h"
#include "textio/write_all.h"

namespace {

struct Message {
  int number;
  const char* text;  // %d: unit number, %s: file name
};

const Message kCatalogue[] = {
    {9, "permission to access file denied, unit %d, file %s\r\n"},
    {22, "input record too long, unit %d, file %s\r\n"},
    {24, "end-of-file during read, unit %d, file %s\r\n"},
    {28, "CLOSE error, unit %d, file %s\r\n"},
    {29, "file not found, unit %d, file %s\r\n"},
    {30, "open failure, unit %d, file %s\r\n"},
    {38, "error during write, unit %d, file %s\r\n"},
    {39, "error during read, unit %d, file %s\r\n"},
    {41, "insufficient virtual memory\r\n"},
    {42, "no such device, unit %d, file %s\r\n"},
    {43, "file name specification error, unit %d, file %s\r\n"},
    {47, "write to READONLY file, unit %d, file %s\r\n"},
    {59, "list-directed I/O syntax error, unit %d, file %s\r\n"},
    {64, "input conversion error, unit %d, file %s\r\n"},
    {66, "output statement overflows record, unit %d, file %s\r\n"},
    {200, "program aborting due to %s event\r\n"},
};

const char* message_text(int number) {
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

// The file name a report shows for a unit.
std::string_view unit_name(int unit) {
  switch (unit) {
    case kUnitStdout:
    case kUnitStderr: return "CONOUT$";
    case kUnitStdin: return "CONIN$";
    case kUnitInternal: return "Internal List-Directed Read";
    case kUnitInput:
    case kUnitList:
    case kUnitLine: {
      return connection(unit).name;
    }
  }
  return "\"Unknown\"";
}

// "runlib: " and the platform's text for the unit's saved error, as a line of
// its own; the error is cleared once shown. Console units keep none.
void write_system_line(int unit) {
  if (unit < kUnitInput || unit > kUnitLine) return;
  Connection& c = connection(unit);
  if (!c.saved_errno) return;
  char buf[512];
  ReportText line{buf, sizeof buf};
  line.put("runlib: ");
  line.put(strerror(c.saved_errno));
  line.put("\r\n");
  c.saved_errno = 0;
  size_t written;
  write_all(2, line.p, line.len, &written);
}

const size_t kReportBufferSize = 16384;  // the traceback table
const size_t kReportLineRoom = 512;      // a report line without its file name

}  // namespace

size_t compose_report_line(char* out, size_t cap, Severity severity, int number, int unit,
                           const char* name, size_t name_len) {
  ReportText t{out, cap};
  char head[64];
  snprintf(head, sizeof head, "%s (%d): ", severity_word(severity), number);
  for (const char* h = head; *h; ++h) t.put_raw(*h);
  for (const char* m = message_text(number); *m; ++m) {
    if (m[0] == '%' && m[1] == 'd') {
      char digits[16];
      snprintf(digits, sizeof digits, "%d", unit);
      for (const char* d = digits; *d; ++d) t.put_raw(*d);
      ++m;
    } else if (m[0] == '%' && m[1] == 's') {
      for (size_t i = 0; i < name_len; ++i) t.put_raw(name[i]);
      ++m;
    } else {
      t.put_raw(*m);
    }
  }
  return t.len;
}

void raise_failure(int number, int unit) {
  // Nothing may cut into the report: a console event waits until the end.
  block_console_events();
  write_system_line(unit);

  // The report line holds the whole file name, however long; every byte of
  // it may double when its LFs become CR LF.
  std::string_view name = unit_name(unit);
  const size_t line_cap = kReportLineRoom + name.size();
  const size_t report_cap = kReportBufferSize + 2 * line_cap;
  char* heap = static_cast<char*>(malloc(line_cap + report_cap));
  // Without memory for the whole report, the report line goes out alone.
  char small_line[kReportLineRoom], small_report[2 * kReportLineRoom];
  char* line = heap ? heap : small_line;
  size_t n = compose_report_line(line, heap ? line_cap : sizeof small_line, kSevere, number, unit, name.data(),
                                 name.size());
  ReportText report = heap ? ReportText{heap + line_cap, report_cap} : ReportText{small_report, sizeof small_report};
  report.put({line, n});  // its line end CR LF becomes CR CR LF
  if (heap) append_traceback(report);
  size_t written;
  write_all(2, report.p, report.len, &written);
  free(heap);
  close_all_units(false);
  end_process(0xC0000000u + static_cast<unsigned>(number));
}
