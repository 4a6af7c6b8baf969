// SPDX-License-Identifier: Apache-2.0
#include "endings/ending_flags.h"

#include "endings/run_seams.h"

namespace {
EndingFlags g_flags;
CloseUnits g_close_units = nullptr;  // none before the record files start: no unit to close
}  // namespace

EndingFlags& ending_flags() { return g_flags; }

void register_unit_closing(CloseUnits close) { g_close_units = close; }

bool close_all_units(NamedUnit* failed) {
  if (g_flags.units_closed.exchange(true) || !g_close_units) return true;
  return g_close_units(failed);
}

void reset_ending_flags() {
  g_flags.units_closed = false;
  g_flags.stop_in_progress = false;
}
