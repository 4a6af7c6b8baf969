// SPDX-License-Identifier: Apache-2.0
// The one path every run-time failure takes: the failure report on standard
// error (system line, report line, traceback table), the closing of all
// units and the end of the process with status 0xC0000000 + number.
#pragma once
#include <cstddef>

[[noreturn]] void raise_failure(int number, int unit);

// Severity classes of a status word (its two top bits).
enum Severity : unsigned { kInfo = 1, kError = 2, kSevere = 3 };

// The report line of a condition: "runlib: <severity> (<number>): " and the
// message with the unit number (or, for a condition without unit, `name`
// alone) filled in, ending in CR LF. Returns the length (cut at cap).
size_t compose_report_line(char* out, size_t cap, Severity severity, int number, int unit,
                           const char* name, size_t name_len);
