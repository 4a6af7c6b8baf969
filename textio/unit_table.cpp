// SPDX-License-Identifier: Apache-2.0
#include "textio/unit_table.h"

namespace {
UnitTable g_table;
}

UnitTable& unit_table() { return g_table; }

Connection& connection(FileUnit unit) {
  return g_table.files[static_cast<int>(unit) - static_cast<int>(FileUnit::input)];
}

bool close_file_units(NamedUnit* failed) {
  bool closed = true;
  for (FileUnit unit : kFileUnits) {
    Connection& c = connection(unit);
    if (!c.connected) continue;
    platform::ErrorCode ignored;  // a record cut short is reported by its write, if at all
    // Cut back before the unit is marked closed: an ending that comes on top
    // of this one still finds the file unfinished, and cuts it back itself.
    if (c.unfinished) platform::cut_at(c.handle, c.offset, &ignored);
    c.unfinished = false;
    // Marked before it is closed: nothing closes it a second time.
    c.connected = false;
    if (!platform::close_handle(c.handle, &ignored) && closed) {
      *failed = {unit_of(unit), c.name};
      closed = false;
    }
    if (c.held != platform::kNoHandle) platform::close_handle(c.held, &ignored);
  }
  // The map's temporary file, whether or not an ending this one came on top
  // of closed its unit already; a complete run forgot its name.
  const Connection& map = connection(FileUnit::map);
  if (!map.temporary.empty()) platform::remove_file(map.temporary.c_str());
  return closed;
}

void reset_unit_table() {
  for (Connection& c : g_table.files) {
    release_reader(c.reader);
    c = Connection{};
  }
  release_reader(g_table.console_in);
  g_table.console_in.handle = platform::standard_stream(platform::Stream::input);
  g_table.written.clear();
}
