// SPDX-License-Identifier: Apache-2.0
#include "tests/fifo_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

FifoReader::FifoReader(const std::string& path, size_t limit) : path_(path) {
  if (pipe2(stop_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  thread_ = std::thread([this, limit] { read_all(limit); });
}

// Opened without waiting for a writer, the pipe shows its end only after a
// writer has come and gone; until then only a stop ends the wait. A writer
// still has what it wrote read before the stop is taken.
void FifoReader::read_all(size_t limit) {
  char buf[4096];
  while (got_.size() < limit) {
    int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    for (bool writer_left = false; !writer_left && got_.size() < limit;) {
      pollfd fds[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[0].revents) {
        ssize_t n = read(fd, buf, std::min(sizeof buf, limit - got_.size()));
        if (n > 0) got_.append(buf, static_cast<size_t>(n));
        writer_left = n == 0;
      } else if (fds[1].revents) {
        close(fd);
        return;
      }
    }
    close(fd);
  }
}

// Closing the stop pipe's write end is the stop: a close that cannot fail
// to wake the reader.
const std::string& FifoReader::finish() {
  if (thread_.joinable()) {
    close(stop_[1]);
    thread_.join();
  }
  return got_;
}

FifoReader::~FifoReader() {
  finish();
  close(stop_[0]);
}
