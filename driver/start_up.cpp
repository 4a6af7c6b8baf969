// SPDX-License-Identifier: Apache-2.0
#include "driver/start_up.h"

#include <csignal>
#include <cfenv>
#include <new>

#include "textio/console_events.h"
#include "textio/failure.h"
#include "textio/units.h"

namespace {
void out_of_memory() { raise_failure(41, kNoUnit); }
}  // namespace

void start_up() {
  fedisableexcept(FE_ALL_EXCEPT);
  signal(SIGPIPE, SIG_IGN);
  install_console_event_handlers();
  std::set_new_handler(out_of_memory);
}
