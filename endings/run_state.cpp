// SPDX-License-Identifier: Apache-2.0
#include "endings/run_state.h"

#include "endings/run_seams.h"

namespace {
RunState g_state;
}

RunState& run_state() { return g_state; }

Connection& connection(FileUnit unit) {
  return g_state.files[static_cast<int>(unit) - static_cast<int>(FileUnit::input)];
}

std::optional<FileUnit> close_all_units() {
  if (g_state.units_closed.exchange(true)) return std::nullopt;
  std::optional<FileUnit> failed;
  for (FileUnit unit : kFileUnits) {
    Connection& c = connection(unit);
    if (!c.connected) continue;
    // Marked before it is closed: nothing closes it a second time.
    c.connected = false;
    platform::ErrorCode ignored;  // a record cut short is reported by its write, if at all
    if (c.unfinished) platform::cut_at(c.handle, c.offset, &ignored);
    if (!platform::close_handle(c.handle, &ignored) && !failed) failed = unit;
  }
  return failed;
}

void reset_run_state() {
  for (Connection& c : g_state.files) {
    release_reader(c.reader);
    c = Connection{};
  }
  release_reader(g_state.console_in);
  g_state.console_in.handle = platform::standard_stream(platform::Stream::input);
  g_state.written.clear();
  g_state.units_closed = false;
  g_state.stop_in_progress = false;
}
