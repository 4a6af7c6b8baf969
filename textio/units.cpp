// SPDX-License-Identifier: Apache-2.0
#include "textio/units.h"

#include <cstdlib>

#include "textio/console_events.h"

namespace {
RunState g_state;
}

RunState& run_state() { return g_state; }

Connection& connection(int unit) { return g_state.files[unit - kUnitInput]; }

void reset_run_state() {
  for (Connection& c : g_state.files) free(c.reader.buf);
  free(g_state.console_in.buf);
  g_state.files[0] = Connection{};
  g_state.files[1] = Connection{};
  g_state.files[2] = Connection{};
  g_state.console_in = LineReader{};
  g_state.console_in.fd = 0;
  g_state.units_closed = 0;
  g_state.stop_in_progress = 0;
  unblock_console_events();
}

