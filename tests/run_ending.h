// SPDX-License-Identifier: Apache-2.0
// Lets unit tests run code that may end the run: the ending throws instead
// of ending the process, and the run's state is reset for the next case.
#pragma once
#include "textio/report_line.h"

struct RunEnded {
  unsigned status;  // the exit status word, 0xC0000000 + number for a failure
};

// Installs the throwing end hook and resets the units; call in SetUp.
void prepare_run_for_test();

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

inline long long failure(int number) { return 0xC0000000LL + number; }
inline long long failure(Failure number) { return failure(static_cast<int>(number)); }
