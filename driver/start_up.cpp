// SPDX-License-Identifier: Apache-2.0
#include "driver/start_up.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cfenv>
#include <new>

#include "textio/console_events.h"
#include "textio/failure.h"
#include "textio/units.h"

namespace {

void out_of_memory() { raise_failure(41, kNoUnit); }

// A standard stream that is closed gets /dev/null opened the wrong way round
// (standard input for writing, the others for reading), so that the program's
// own reads and writes on it still fail as on a closed stream, and no file
// of the run can take its number and receive console lines.
void occupy_closed_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    // open(2) takes the lowest free number, which is fd.
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
  }
}

}  // namespace

void start_up() {
  occupy_closed_standard_streams();
  fedisableexcept(FE_ALL_EXCEPT);
  // A write to a closed pipe, and one beyond the file-size limit, then fails
  // and is reported. Ignoring an already ignored signal changes nothing.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  install_console_event_handlers();
  std::set_new_handler(out_of_memory);
}
