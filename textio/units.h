// SPDX-License-Identifier: Apache-2.0
// The table of connected units: the state the run owns as a whole and that
// the console event handler must reach.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "textio/line_reader.h"
#include "textio/platform.h"

// Unit numbers as failure reports show them.
enum : int {
  kUnitStdout = -1,
  kUnitStdin = -4,
  kUnitStderr = 0,
  kUnitInternal = -5,  // a read from a text
  kUnitInput = 10,
  kUnitList = 11,
  kUnitLine = 12,
  kNoUnit = 1000,      // a condition that concerns no unit
};

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
  LineReader reader;                  // the input's read buffer
};

struct RunState {
  Connection files[3];  // units 10, 11, 12
  LineReader console_in{platform::standard_stream(platform::Stream::input)};  // unit -4
  std::atomic<bool> units_closed = false;
};
static_assert(std::atomic<bool>::is_always_lock_free, "the event handler tests and sets the flags");

RunState& run_state();

// Connection of unit 10, 11 or 12.
Connection& connection(int unit);

// Closes units 10, 11 and 12 where still connected, first cutting an
// unfinished file back to its last whole record; a second call does
// nothing. Safe in a console event handler: it only cuts and closes, and
// frees nothing. Returns the first unit whose close failed, or kNoUnit.
int close_all_units();
