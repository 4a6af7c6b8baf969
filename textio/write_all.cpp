// SPDX-License-Identifier: Apache-2.0
#include "textio/write_all.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

bool write_all(int fd, const char* bytes, size_t n, size_t* written) {
  size_t done = 0;
  while (done < n) {
    ssize_t w = write(fd, bytes + done, std::min(n - done, kMaxWrite));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      if (w == 0) errno = ENOSPC;
      *written = done;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  *written = done;
  return true;
}
