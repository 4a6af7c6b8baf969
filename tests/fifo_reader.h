// SPDX-License-Identifier: Apache-2.0
// A reader of a named pipe that the program writes as an output file.
#pragma once
#include <cstddef>
#include <string>
#include <thread>

// Reads the named pipe on a thread of its own, held open for reading from
// the start, so the program never waits to open it: to its end, and again
// for each time the program opens it; or leaves for good, the pipe closed,
// once it has read `limit` bytes.
class FifoReader {
 public:
  FifoReader(const std::string& path, size_t limit);
  ~FifoReader();  // stops the reader and waits for it; never throws
  FifoReader(const FifoReader&) = delete;
  FifoReader& operator=(const FifoReader&) = delete;

  // Stops reading (after the program has ended) and returns what was read.
  const std::string& finish();

 private:
  void read_all(size_t limit);

  std::string path_;
  std::string got_;
  int stop_[2] = {-1, -1};  // a pipe: its write end closed stops the reader
  std::thread thread_;
};
