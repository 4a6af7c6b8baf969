// SPDX-License-Identifier: Apache-2.0
// What the unit tests give the program's parts to read from and write to:
// scratch files and pipes as the platform's own handles, and the standard
// streams put on them for the time of a call.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/test_support.h"

// A scratch file holding `bytes`, open through the platform for reading (or,
// `for_writing`, for writing only); closed and removed with this object.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& bytes, bool for_writing = false);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  platform::Handle handle() const { return handle_; }

 private:
  TempDir dir_;
  platform::Handle handle_;
};

struct Pipe {
  platform::Handle read = platform::kNoHandle;
  platform::Handle write = platform::kNoHandle;
};

// A pipe of which every read returns exactly one write. Writes after its
// reader has gone fail instead of ending the process.
Pipe message_pipe();
// A pipe that holds one piece at a time, for handing bytes over in pieces:
// the next piece goes in once the reader has taken the last.
Pipe piece_pipe();
// Writes `piece` and waits until the reader has taken all of it; false when
// that did not happen within the tests' deadline.
bool hand_over(const Pipe& pipe, const std::string& piece);
void close_pipe(Pipe& pipe);

// The writes `f` makes to standard output, one string per write.
std::vector<std::string> capture_writes(const std::function<void()>& f);
// The bytes `f` writes to `stream`, caught in a scratch file.
std::string capture_bytes(platform::Stream stream, const std::function<void()>& f);
// Runs `f` with standard output on a pipe whose reader has gone.
void with_output_to_closed_pipe(const std::function<void()>& f);
