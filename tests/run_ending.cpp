// SPDX-License-Identifier: Apache-2.0
#include "tests/run_ending.h"

#include "textio/run_seams.h"

namespace {
[[noreturn]] void throw_run_ended(unsigned status) { throw RunEnded{status}; }
}  // namespace

void prepare_run_for_test() {
  set_end_hook(throw_run_ended);
  reset_run_state();
}
