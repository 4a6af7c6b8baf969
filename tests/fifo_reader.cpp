// SPDX-License-Identifier: Apache-2.0
#include "tests/fifo_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

FifoReader::FifoReader(const std::string& path, size_t limit) : path_(path) {
  thread_ = std::thread([this, limit] {
    while (!stop_ && got_.size() < limit) {
      int fd = open(path_.c_str(), O_RDONLY);  // waits for a writer
      if (fd < 0) break;
      char buf[4096];
      for (ssize_t n; got_.size() < limit && (n = read(fd, buf, std::min(sizeof buf, limit - got_.size()))) > 0;)
        got_.append(buf, static_cast<size_t>(n));
      close(fd);
    }
    done_ = true;
  });
}

const std::string& FifoReader::finish() {
  stop_ = true;
  // A reader still waiting at its open is let through by a writer that
  // writes nothing.
  while (!done_) {
    int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) close(fd);
    usleep(1000);
  }
  if (thread_.joinable()) thread_.join();
  return got_;
}

FifoReader::~FifoReader() { finish(); }
