// SPDX-License-Identifier: Apache-2.0
// The state the run owns as a whole and that the console event handler must
// reach: the table of connected units and the ending flags.
#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "endings/line_reader.h"
#include "endings/report_line.h"
#include "platform/platform.h"

// The units that connect files, by their numbers: only these have a place
// in the unit table.
enum class FileUnit : int { input = 10, list = 11, line = 12 };
inline constexpr FileUnit kFileUnits[] = {FileUnit::input, FileUnit::list, FileUnit::line};

// The same unit as a report names it.
constexpr Unit unit_of(FileUnit unit) { return static_cast<Unit>(unit); }

// One file connection, units 10, 11 and 12.
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
  LineReader reader;                  // the input's read buffer
};

struct RunState {
  Connection files[3];  // units 10, 11, 12
  LineReader console_in{platform::standard_stream(platform::Stream::input)};  // unit -4
  // Files this run has written a record to: a line that comes back continues
  // its file. One that was opened and got nothing is not among them: it keeps
  // its old content until its first record cuts it off.
  std::set<platform::FileIdentity> written;
  std::atomic<bool> units_closed = false;  // set by the first close of every unit
  bool stop_in_progress = false;           // set by the run driver's first stop
};
static_assert(std::atomic<bool>::is_always_lock_free, "the event handler tests and sets the flags");

RunState& run_state();

Connection& connection(FileUnit unit);

// Closes units 10, 11 and 12 where still connected, first cutting an
// unfinished file back to its last whole record; a second call does
// nothing. Safe in a console event handler: it only cuts and closes, and
// frees nothing. Returns the first unit whose close failed, if any.
std::optional<FileUnit> close_all_units();
