// SPDX-License-Identifier: Apache-2.0
// The numbered conditions the program reports, their message catalogue, the
// composing of a report line, and the buffer a report is composed in.
#pragma once
#include <cstddef>
#include <string_view>

// The number of every condition, as reports show it and statuses carry it.
enum class Failure : int {
  permission_denied = 9,
  record_too_long = 22,
  end_of_file = 24,
  close_error = 28,
  file_not_found = 29,
  open_failure = 30,
  write_error = 38,
  read_error = 39,
  no_memory = 41,
  no_such_device = 42,
  name_error = 43,
  read_only_file = 47,
  syntax_error = 59,
  conversion_error = 64,
  record_overflow = 66,
  event_abort = 200,  // a console event: "program aborting due to %s event"
};

// The units a report can name, by the numbers reports show.
enum class Unit : int {
  console_output = -1,
  console_input = -4,
  error_output = 0,    // the stop message's own unit
  internal_read = -5,  // a read from a text
  input = 10,
  list = 11,
  line = 12,
  map = 13,            // the survey map's file
  none = 1000,         // a condition that concerns no unit
};

// Severity classes of a status word (its two top bits).
enum class Severity : unsigned { info = 1, error = 2, severe = 3 };

// The report line of a condition: "runlib: <severity> (<number>): " and the
// message with the unit number (or, for a condition without unit, `name`
// alone) filled in, ending in CR LF. Returns the length (cut at cap).
size_t compose_report_line(char* out, size_t cap, Severity severity, Failure number, Unit unit,
                           std::string_view name);

// A fixed buffer for report text that turns every LF into CR LF as it is
// filled, the way the error channel writes its lines: a text that already
// ends in CR LF comes out with CR CR LF, and is meant to.
struct ReportText {
  char* p;
  size_t cap;
  size_t len = 0;

  void put(char c) {
    if (c == '\n') put_raw('\r');
    put_raw(c);
  }
  void put(std::string_view s) {
    for (char c : s) put(c);
  }
  void put_raw(char c) {
    if (len < cap) p[len++] = c;
  }
};
