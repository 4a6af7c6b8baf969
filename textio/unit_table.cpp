// SPDX-License-Identifier: Apache-2.0
#include "textio/unit_table.h"

#include <utility>

namespace {
UnitTable g_table;
}

UnitTable& unit_table() { return g_table; }

Connection& connection(FileUnit unit) {
  return g_table.files[static_cast<int>(unit) - static_cast<int>(FileUnit::input)];
}

bool put_records(Connection& c, const char* bytes, size_t n, platform::ErrorCode* error) {
  c.unfinished = c.regular;
  size_t written;
  if (!platform::write_all(c.handle, bytes, n, &written, error)) {
    c.offset += static_cast<int64_t>(whole_records(bytes, written));
    if (written == 0) c.unfinished = false;
    return false;
  }
  c.offset += static_cast<int64_t>(n);
  if (c.truncate_after_write && !platform::cut_at(c.handle, c.offset, error)) return false;
  c.truncate_after_write = false;
  c.unfinished = false;
  return true;
}

void write_out_buffers(bool on_disk) {
  for (Connection& c : g_table.files) {
    // A buffer's write that was under way when an event came is not made
    // again: its file is cut back instead, like a single record's.
    if (!c.connected || c.regular != on_disk || c.unfinished || c.out.len == 0) continue;
    platform::ErrorCode ignored;  // an ending does not report it
    put_records(c, c.out.bytes, std::exchange(c.out.len, 0), &ignored);
  }
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
    delete[] c.out.bytes;
    c = Connection{};
  }
  g_table.buffered = false;
  release_reader(g_table.console_in);
  g_table.console_in.handle = platform::standard_stream(platform::Stream::input);
  g_table.written.clear();
}
