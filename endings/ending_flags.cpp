// SPDX-License-Identifier: Apache-2.0
#include "endings/ending_flags.h"

#include "endings/run_seams.h"
#include "platform/platform.h"

namespace {
EndingFlags g_flags;
UnitClosing g_closing = {};  // none before the record files start: no unit to close
}  // namespace

EndingFlags& ending_flags() { return g_flags; }

void register_unit_closing(UnitClosing closing) { g_closing = closing; }

// The flag is set once the closing is done: an ending that comes on top of
// one under way (a signal handler) closes what is still open, and cuts back
// every file still unfinished, itself. What a reader may never take goes
// out before the turn: an ending that comes on top never waits for it.
bool close_all_units(NamedUnit* failed, bool may_wait) {
  if (g_flags.units_closed || !g_closing.close) return true;
  if (may_wait) g_closing.write_out();
  platform::ClosingTurn turn;
  if (g_flags.units_closed) return true;  // closed by the ending this one waited for
  bool closed = g_closing.close(failed, may_wait);
  g_flags.units_closed = true;
  return closed;
}

void reset_ending_flags() {
  g_flags.units_closed = false;
  g_flags.stop_in_progress = false;
}
