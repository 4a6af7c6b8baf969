// SPDX-License-Identifier: Apache-2.0
#include "textio/record_files.h"

#include <string>
#include <utility>

#include "endings/ending.h"
#include "textio/console_output.h"
#include "textio/file_names.h"
#include "textio/unit_table.h"

void raise_unit_failure(Failure number, FileUnit unit, platform::ErrorCode error) {
  raise_failure(number, NamedUnit{unit_of(unit), connection(unit).name}, error);
}

void close_refused(platform::Handle h) {
  platform::ErrorCode ignored;
  platform::close_handle(h, &ignored);
}

void open_refused(FileUnit unit, platform::ErrorCode error) {
  using platform::Refusal;
  switch (platform::classify_refusal(error)) {
    case Refusal::not_found: raise_unit_failure(Failure::file_not_found, unit);
    case Refusal::access_refused: raise_unit_failure(Failure::permission_denied, unit);
    case Refusal::bad_name: raise_unit_failure(Failure::name_error, unit);
    case Refusal::no_device: raise_unit_failure(Failure::no_such_device, unit);
    case Refusal::too_many_files: raise_unit_failure(Failure::open_failure, unit);
    case Refusal::other: break;
  }
  raise_unit_failure(Failure::open_failure, unit, error);
}

bool connected_elsewhere(FileUnit unit, platform::FileIdentity id) {
  for (FileUnit other : kFileUnits) {
    const Connection& o = connection(other);
    if (other == unit || !o.connected) continue;
    // The map's own file counts by its name: the run may make a file of
    // that name after the map's start, which the map would then replace.
    platform::FileIdentity taken = o.id;
    if (other == FileUnit::map && !platform::name_identity(o.name, &taken)) continue;
    if (taken == id) return true;
  }
  return false;
}

namespace {

// Goes on writing after the file's current end instead of replacing it.
void continue_at_end(FileUnit unit) {
  Connection& c = connection(unit);
  c.continued = true;
  if (!c.regular) return;  // a pipe or a device just goes on
  platform::ErrorCode error;
  if (!platform::position_at_end(c.handle, &c.offset, &error)) raise_unit_failure(Failure::write_error, unit, error);
  c.truncate_after_write = false;
}

const size_t kShownFieldBytes = 80;

// A field between double quotes as a report shows it: its first 80 bytes,
// each control byte as \xNN, and "..." when it is longer.
void append_shown_field(std::string& out, std::string_view field) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  out += '"';
  for (char c : field.substr(0, kShownFieldBytes)) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
  if (field.size() > kShownFieldBytes) out += "...";
  out += '"';
}

void write_out_held(bool on_disk) {
  write_out_buffers(on_disk);
  finish_console_output(on_disk);
}

// What the buffers hold for a pipe, whose reader may never take it: a
// second event may end the run meanwhile.
void write_out_to_readers() {
  platform::EventsLetThrough through;
  write_out_held(false);
}

// An ending's closing: what the buffers hold for files on disk goes out
// before the units close, whole while an event waits. Ending at once,
// nothing waits for the hold of a main work that may be stuck on a reader.
bool close_outputs(NamedUnit* failed, bool may_wait) {
  if (may_wait) {
    platform::EventHoldMayEndRun hold;
    write_out_held(true);
  } else {
    write_out_held(true);
  }
  return close_file_units(failed);
}

}  // namespace

void start_record_files() { register_unit_closing({write_out_to_readers, close_outputs}); }

void open_unit(FileUnit unit, std::string_view name, OpenMode mode, std::string_view folder) {
  Connection& c = connection(unit);
  c.name = resolve_name(name_in_folder(folder, name));
  // A line file may not leave its folder.
  if (mode == OpenMode::line_file && !platform::is_local_name(name)) raise_unit_failure(Failure::name_error, unit);
  // Nor may an output file be the map's, which would replace it: refused
  // before it is made.
  const Connection& map = connection(FileUnit::map);
  if (unit != FileUnit::map && map.connected && c.name == map.name)
    raise_unit_failure(Failure::open_failure, unit, platform::file_busy_error());
  platform::Handle h = platform::kNoHandle;
  bool read_only = true;
  platform::ErrorCode error = 0;
  bool opened = mode == OpenMode::existing ? platform::open_for_reading(c.name, &h, &error)
                                           : platform::open_for_writing(c.name, &h, &read_only, &error);
  if (!opened) open_refused(unit, error);

  platform::FileKind kind;
  if (!platform::file_kind(h, &kind, &error)) {
    close_refused(h);
    open_refused(unit, error);
  }
  if (kind.directory) {
    close_refused(h);
    raise_unit_failure(Failure::permission_denied, unit);
  }
  if (connected_elsewhere(unit, kind.identity)) {
    close_refused(h);
    raise_unit_failure(Failure::open_failure, unit, platform::file_busy_error());
  }
  {
    // The connection appears whole to an event that closes every unit.
    platform::EventHoldMayEndRun hold;
    c = Connection{.connected = true,
                   .read_only = read_only,
                   .regular = kind.regular,
                   // an empty file, new most often, has nothing to cut off
                   .truncate_after_write = kind.regular && !kind.empty,
                   .handle = h,
                   .name = std::move(c.name),
                   .id = kind.identity,
                   .temporary = {},
                   .held = platform::kNoHandle,
                   // buffered, the input is read in blocks as large as the buffers written
                   .reader = LineReader{.handle = h,
                                        .first_block = unit_table().buffered ? kOutputBufferSize : kFirstReadBlock},
                   // a line file's buffer serves every line file in turn
                   .out = {.bytes = c.out.bytes}};
    if (unit_table().buffered && !c.read_only && unit != FileUnit::map) allocate(c.out);  // the map goes out whole
  }
  if (mode == OpenMode::line_file && unit_table().written.contains(c.id)) continue_at_end(unit);
}

bool continues_written_file(FileUnit unit) { return connection(unit).continued; }

bool read_record(FileUnit unit, std::string_view* record) {
  NoLine why;
  platform::ErrorCode error = 0;
  if (next_line(connection(unit).reader, record, &why, &error)) return true;
  if (why == NoLine::read_error) raise_unit_failure(Failure::read_error, unit, error);
  if (why == NoLine::no_memory) raise_unit_failure(Failure::record_too_long, unit);
  return false;
}

void raise_field_failure(Failure number, FileUnit unit, int64_t column, std::string_view field) {
  const Connection& c = connection(unit);
  std::string place = "segmentor: " + c.name + ":" + std::to_string(c.reader.lines) + ": column " +
                      std::to_string(column) + ": ";
  if (field.empty()) {
    place += "missing";
  } else {
    append_shown_field(place, field);
  }
  raise_failure(number, Unit::internal_read, 0, place);
}

void buffer_output_files() { unit_table().buffered = true; }

void write_record(FileUnit unit, const char* bytes, size_t n) {
  Connection& c = connection(unit);
  if (c.read_only) raise_unit_failure(Failure::read_only_file, unit);
  if (c.out.active() && n <= kOutputBufferSize) {
    if (!c.out.fits(n)) flush_unit(unit);
    platform::EventHoldMayEndRun hold;
    hold_record(c.out, bytes, n);
  } else {
    flush_unit(unit);  // what the buffer holds goes first
    platform::ErrorCode error;
    bool done;
    {
      // An event that comes meanwhile waits for the whole record, and for the
      // cut-off behind a file's first record, and then ends the run here.
      platform::EventHoldMayEndRun hold;
      done = put_records(c, bytes, n, &error);
    }
    if (!done) raise_unit_failure(Failure::write_error, unit, error);
  }
  if (!c.wrote) {
    c.wrote = true;
    unit_table().written.insert(c.id);
  }
}

void flush_unit(FileUnit unit) {
  Connection& c = connection(unit);
  if (c.out.len == 0) return;
  platform::ErrorCode error;
  bool done;
  {
    // As for a record written alone. The buffer is emptied once the file
    // is marked unfinished: an event that ends the run at once meanwhile
    // either writes the records out itself or cuts back what got out.
    platform::EventHoldMayEndRun hold;
    c.unfinished = c.regular;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    size_t n = std::exchange(c.out.len, 0);
    done = put_records(c, c.out.bytes, n, &error);
  }
  if (!done) raise_unit_failure(Failure::write_error, unit, error);
}

void close_unit(FileUnit unit) {
  Connection& c = connection(unit);
  if (!c.connected) return;
  flush_unit(unit);
  platform::ErrorCode error;
  bool closed;
  {
    // Not closed twice by an event that closes every unit meanwhile.
    platform::EventHoldMayEndRun hold;
    c.connected = false;
    closed = platform::close_handle(c.handle, &error);
  }
  release_reader(c.reader);
  if (!closed) raise_unit_failure(Failure::close_error, unit, error);
}
