// SPDX-License-Identifier: Apache-2.0
// The table of connected units and the ending flags: the state the run owns
// as a whole and that the console event handler must reach.
#pragma once
#include <csignal>
#include <cstddef>
#include <sys/types.h>

#include <string>

#include "textio/line_reader.h"

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

struct FileId {
  dev_t dev;
  ino_t ino;
  bool operator==(const FileId&) const = default;
};

// One file connection, units 10, 11 and 12.
struct Connection {
  bool connected = false;
  bool read_only = false;
  bool regular = false;               // a file on disk: may be cut off
  bool truncate_after_write = false;  // until the first record is written
  int fd = -1;
  int saved_errno = 0;                // printed as the system line of a report
  std::string name;                   // resolved name; kept after a failed open
  FileId id = {};
  off_t offset = 0;                   // where the next record goes
  LineReader reader;                  // the input's read buffer
};

struct RunState {
  Connection files[3];           // units 10, 11, 12
  LineReader console_in = {0};   // standard input, unit -4
  volatile sig_atomic_t units_closed = 0;
  volatile sig_atomic_t stop_in_progress = 0;
};

RunState& run_state();

// Connection of unit 10, 11 or 12.
Connection& connection(int unit);

// Forgets every connection (without closing descriptors) and clears the
// ending flags; for tests and fuzz targets that run many times in a process.
void reset_run_state();
