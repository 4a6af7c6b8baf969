// SPDX-License-Identifier: Apache-2.0
// Lets unit tests and fuzz targets, which go through many runs in one
// process, run code that may end the run: the ending throws instead of
// ending the process, and each run starts from a fresh run state.
#pragma once
#include "endings/report_line.h"
#include "endings/run_seams.h"
#include "textio/record_files.h"

struct RunEnded {
  unsigned status;  // the exit status word, 0xC0000000 + number for a failure
};

[[noreturn]] inline void throw_run_ended(unsigned status) { throw RunEnded{status}; }

// Installs the throwing end hook and resets the flags and the units; call
// in SetUp.
inline void prepare_run_for_test() {
  set_end_hook(throw_run_ended);
  reset_ending_flags();
  reset_unit_table();
  start_record_files();
}

// Runs f; returns the status it ended the run with, or -1 if it returned.
template <typename F>
long long run_status(F&& f) {
  try {
    f();
  } catch (const RunEnded& e) {
    return e.status;
  }
  return -1;
}

// Runs f as a run of its own: its status, or -1 if it returned.
template <typename F>
long long fresh_run_status(F&& f) {
  prepare_run_for_test();
  return run_status(f);
}

inline long long failure(int number) { return 0xC0000000LL + number; }
inline long long failure(Failure number) { return failure(static_cast<int>(number)); }
