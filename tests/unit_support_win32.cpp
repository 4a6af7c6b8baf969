// SPDX-License-Identifier: Apache-2.0
// Windows side of unit_support.h's pipes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "tests/unit_support.h"

namespace {

platform::Handle handle(HANDLE h) {
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  return h == INVALID_HANDLE_VALUE ? platform::kNoHandle : reinterpret_cast<platform::Handle>(h);
}

}  // namespace

// A named pipe in message mode, of which this process holds both ends.
Pipe message_pipe() {
  static std::atomic<unsigned> made = 0;
  const std::string name =
      "\\\\.\\pipe\\segmentor-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(made++);
  const DWORD size = 65536;
  Pipe pipe;
  pipe.read = handle(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                      1, size, size, 0, nullptr));
  pipe.write = handle(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return pipe;
}

Pipe piece_pipe() {
  HANDLE read = INVALID_HANDLE_VALUE, write = INVALID_HANDLE_VALUE;
  CreatePipe(&read, &write, nullptr, 0);
  return {handle(read), handle(write)};
}

// A flush of a pipe returns once the other end has read everything in it.
// (It has no deadline of its own: the test's timeout is.)
bool hand_over(const Pipe& pipe, const std::string& piece) {
  size_t written;
  platform::ErrorCode error;
  return platform::write_all(pipe.write, piece.data(), piece.size(), &written, &error) &&
         FlushFileBuffers(reinterpret_cast<HANDLE>(pipe.write));
}
