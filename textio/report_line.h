// SPDX-License-Identifier: Apache-2.0
// The numbered conditions the program reports, their message catalogue, and
// the composing of a report line.
#pragma once
#include <cstddef>
#include <string_view>

// The number of every condition, as reports show it and statuses carry it.
enum Failure : int {
  kPermissionDenied = 9,
  kRecordTooLong = 22,
  kEndOfFile = 24,
  kCloseError = 28,
  kFileNotFound = 29,
  kOpenFailure = 30,
  kWriteError = 38,
  kReadError = 39,
  kNoMemory = 41,
  kNoSuchDevice = 42,
  kNameError = 43,
  kReadOnlyFile = 47,
  kSyntaxError = 59,
  kConversionError = 64,
  kRecordOverflow = 66,
  kEventAbort = 200,  // a console event: "program aborting due to %s event"
};

// Unit numbers as failure reports show them.
enum : int {
  kUnitStdout = -1,
  kUnitStdin = -4,
  kUnitStderr = 0,
  kUnitInternal = -5,  // a read from a text
  kUnitInput = 10,
  kUnitList = 11,
  kUnitLine = 12,
  kNoUnit = 1000,      // a condition that concerns no unit
};

// Severity classes of a status word (its two top bits).
enum Severity : unsigned { kInfo = 1, kError = 2, kSevere = 3 };

// The report line of a condition: "runlib: <severity> (<number>): " and the
// message with the unit number (or, for a condition without unit, `name`
// alone) filled in, ending in CR LF. Returns the length (cut at cap).
size_t compose_report_line(char* out, size_t cap, Severity severity, Failure number, int unit,
                           std::string_view name);
