// SPDX-License-Identifier: Apache-2.0
// Fuzz targets may not end the process: a run that ends (a failure report,
// a stop or the normal end) throws instead, and the next input starts from a
// fresh run state.
#pragma once
#include "textio/run_seams.h"

struct FuzzRunEnded {
  unsigned status;
};

[[noreturn]] inline void fuzz_end(unsigned status) { throw FuzzRunEnded{status}; }

// Runs f as one run; the only acceptable endings are a return or a failure
// that the program reports (statuses 0 to 0xC00000FF).
template <typename F>
void fuzz_run(F&& f) {
  set_end_hook(fuzz_end);
  reset_run_state();
  try {
    f();
  } catch (const FuzzRunEnded&) {
  }
}
