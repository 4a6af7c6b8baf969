// SPDX-License-Identifier: Apache-2.0
#include "driver/start_up.h"

#include <new>

#include "textio/console_events.h"
#include "textio/ending.h"
#include "textio/platform.h"

namespace {

void out_of_memory() { raise_failure(Failure::no_memory, kNoUnit); }

}  // namespace

void start_up() {
  platform::start_up();
  install_console_event_handler();
  std::set_new_handler(out_of_memory);
}
