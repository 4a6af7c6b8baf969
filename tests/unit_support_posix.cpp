// SPDX-License-Identifier: Apache-2.0
// POSIX side of unit_support.h's pipes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>

#include "tests/unit_support.h"

namespace {

Pipe make_pipe(int flags) {
  int p[2] = {-1, -1};
  EXPECT_EQ(pipe2(p, flags | O_CLOEXEC), 0);
  return {p[0], p[1]};
}

}  // namespace

// A packet-mode pipe; SIGPIPE ignored, as the program itself does at its start.
Pipe message_pipe() {
  signal(SIGPIPE, SIG_IGN);
  return make_pipe(O_DIRECT);
}

// One page holds one write at a time: the write end is ready again once the
// reader has emptied it.
Pipe piece_pipe() {
  Pipe pipe = make_pipe(0);
  EXPECT_GE(fcntl(static_cast<int>(pipe.write), F_SETPIPE_SZ, 1), 0);
  return pipe;
}

bool hand_over(const Pipe& pipe, const std::string& piece) {
  size_t written;
  platform::ErrorCode error;
  if (!platform::write_all(pipe.write, piece.data(), piece.size(), &written, &error)) return false;
  pollfd taken = {static_cast<int>(pipe.write), POLLOUT, 0};
  // A piece that the reader has not taken by the deadline fails the test.
  return poll(&taken, 1, static_cast<int>(kTestDeadline.count())) == 1 && taken.revents == POLLOUT;
}
