// SPDX-License-Identifier: Apache-2.0
#include "textio/termination.h"

#include <unistd.h>

#include <cstring>

#include "textio/failure.h"
#include "textio/units.h"
#include "textio/write_all.h"

namespace {
EndHook g_end_hook = nullptr;
const unsigned kStopStatus = 1;
}  // namespace

void set_end_hook(EndHook hook) { g_end_hook = hook; }

void end_process(unsigned status) {
  if (g_end_hook) g_end_hook(status);
  _exit(static_cast<int>(status));
}

void close_all_units(bool from_signal_handler) {
  RunState& s = run_state();
  if (s.units_closed) return;
  s.units_closed = 1;
  for (int unit = kUnitInput; unit <= kUnitLine; ++unit) {
    Connection& c = connection(unit);
    if (!c.connected) continue;
    // Marked first, so that a signal arriving now does not close it twice.
    c.connected = false;
    if (close(c.fd) != 0 && !from_signal_handler) raise_failure(28, unit);
  }
}

void end_run(unsigned status) {
  close_all_units(false);
  end_process(status);
}

void stop_with_message(const char* text, unsigned long n) {
  RunState& s = run_state();
  if (s.stop_in_progress) end_process(kStopStatus);
  s.stop_in_progress = 1;
  // One record on standard error: the text as given, then the line end.
  char record[256];
  size_t len = n < sizeof record - 2 ? n : sizeof record - 2;
  memcpy(record, text, len);
  record[len++] = '\r';
  record[len++] = '\n';
  size_t written;
  if (!write_all(2, record, len, &written)) raise_failure(38, kUnitStderr);
  end_run(kStopStatus);
}

void stop_without_message() {
  RunState& s = run_state();
  if (s.stop_in_progress) end_process(kStopStatus);
  s.stop_in_progress = 1;
  end_run(kStopStatus);
}
