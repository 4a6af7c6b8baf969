// SPDX-License-Identifier: Apache-2.0
// The table of the units the record files connect, and the console input's
// reader. The record files keep it; an ending reaches it only through the
// closing they register (start_record_files).
#pragma once
#include <cstdint>
#include <set>
#include <string>

#include "endings/ending.h"
#include "platform/platform.h"
#include "textio/line_reader.h"
#include "textio/output_buffer.h"

// The units that connect files, by their numbers: only these have a place
// in the unit table.
enum class FileUnit : int { input = 10, list = 11, line = 12, map = 13 };
inline constexpr FileUnit kFileUnits[] = {FileUnit::input, FileUnit::list, FileUnit::line, FileUnit::map};

// The same unit as a report names it.
constexpr Unit unit_of(FileUnit unit) { return static_cast<Unit>(unit); }

// One file connection, units 10 to 13.
struct Connection {
  bool connected = false;
  bool read_only = false;
  bool regular = false;               // a file on disk: may be cut off
  bool truncate_after_write = false;  // until the first record is written
  platform::Handle handle = platform::kNoHandle;
  std::string name;                   // resolved name; kept after a failed open
  platform::FileIdentity id;
  int64_t offset = 0;                 // the end of the last whole record, where the next one goes
  // The file may hold bytes behind `offset` that the closing of the units
  // must cut off: a record partly written, or a file's first record whose
  // cut-off of the old content is still to come. Only a file on disk.
  bool unfinished = false;
  bool wrote = false;                 // a record went to it since the open
  bool continued = false;             // a line file this run wrote before
  // The survey map (unit 13) is written to a temporary file, `handle`, and
  // renamed into place when the run completes; every other ending removes
  // it. `held` is the map's own file while the run holds it.
  std::string temporary;
  platform::Handle held = platform::kNoHandle;
  LineReader reader;                  // the input's read buffer
  OutputBuffer out;                   // records not yet written, when buffered
};

struct UnitTable {
  Connection files[4];  // units 10 to 13
  LineReader console_in{platform::standard_stream(platform::Stream::input)};  // unit -4
  // Files this run has written a record to: a line that comes back continues
  // its file. One that was opened and got nothing is not among them: it keeps
  // its old content until its first record cuts it off.
  std::set<platform::FileIdentity> written;
  bool buffered = false;  // output files hold their records in a buffer
};

UnitTable& unit_table();

Connection& connection(FileUnit unit);

// Writes whole records, then, after a file's first records, cuts off the
// old content behind them. While they go out the file is unfinished, and
// stays so when the write fails midway or the cut-off fails: whatever ends
// the run then cuts the file back to the last whole record that got out. A
// write that got nothing out leaves the file as it was, old content
// included. Safe in a console event handler.
bool put_records(Connection& c, const char* bytes, size_t n, platform::ErrorCode* error);

// For an ending: writes out the records the buffers of the files on disk
// (or of the others) hold, without a report. Safe in a console event handler.
void write_out_buffers(bool on_disk);

// The closing an ending asks for: units 10 to 13 where still connected,
// each unfinished file first cut back to its last whole record, and the
// map's temporary file removed.
// Safe in a console event handler: it only cuts and closes, and frees
// nothing. False when a close failed, with the first such unit in *failed.
bool close_file_units(NamedUnit* failed);

// For tests and fuzz targets only: forgets every connection (without
// closing it), the state of a fresh run.
void reset_unit_table();
