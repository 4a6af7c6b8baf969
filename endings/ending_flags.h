// SPDX-License-Identifier: Apache-2.0
// The flags every ending tests and sets, and the closing of the units that
// every ending goes through: process-wide, so that the console event
// handler reaches them.
#pragma once
#include <atomic>

#include "endings/ending.h"

struct EndingFlags {
  std::atomic<bool> units_closed = false;  // set once the first close of every unit is done
  bool stop_in_progress = false;           // set by the run driver's first stop
};
static_assert(std::atomic<bool>::is_always_lock_free, "the event handler tests and sets the flags");

EndingFlags& ending_flags();

// Closes the file units through the closing the record files registered,
// one ending at a time; once it is done, a later call does nothing. False
// when a close failed, with that unit in *failed.
bool close_all_units(NamedUnit* failed);
