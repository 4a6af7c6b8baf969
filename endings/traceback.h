// SPDX-License-Identifier: Apache-2.0
// The traceback table of a severe failure report: one row per active call,
// from the reporting code outward, at most 20.
#pragma once
#include "endings/report_line.h"

// Appends the header line and the rows. When the stack walk itself fails,
// a single LF goes to standard output and the table ends there.
void append_traceback(ReportText& out);
