// SPDX-License-Identifier: Apache-2.0
#include "endings/ending_flags.h"

#include "endings/run_seams.h"
#include "platform/platform.h"

namespace {
EndingFlags g_flags;
CloseUnits g_close_units = nullptr;  // none before the record files start: no unit to close
}  // namespace

EndingFlags& ending_flags() { return g_flags; }

void register_unit_closing(CloseUnits close) { g_close_units = close; }

// The flag is set once the closing is done: an ending that comes on top of
// one under way (a signal handler) closes what is still open, and cuts back
// every file still unfinished, itself.
bool close_all_units(NamedUnit* failed) {
  if (g_flags.units_closed || !g_close_units) return true;
  platform::ClosingTurn turn;
  if (g_flags.units_closed) return true;  // closed by the ending this one waited for
  bool closed = g_close_units(failed);
  g_flags.units_closed = true;
  return closed;
}

void reset_ending_flags() {
  g_flags.units_closed = false;
  g_flags.stop_in_progress = false;
}
