// SPDX-License-Identifier: Apache-2.0
// The run driver's console dialogue over arbitrary standard-input bytes: a
// name, four numbers and a line, until the input ends or a failure.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/run_ending.h"
#include "textio/free_format.h"
#include "textio/unit_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int fd = memfd_create("stdin", 0);
  if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size) || lseek(fd, 0, SEEK_SET) != 0) return 0;
  fresh_run_status([&] {
    unit_table().console_in.handle = fd;
    std::string name, list;
    int32_t n = 0;
    read_console_value(&name);
    for (int i = 0; i < 4; ++i) read_console_value(&n);
    read_console_line(&list);
  });
  close(fd);
  return 0;
}
