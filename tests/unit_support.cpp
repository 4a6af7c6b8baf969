// SPDX-License-Identifier: Apache-2.0
// The platform-neutral part of unit_support.h.
#include "tests/unit_support.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/stream_seam.h"

namespace {

// Puts `h` in the place of a standard stream for its lifetime.
class StreamSwap {
 public:
  StreamSwap(platform::Stream stream, platform::Handle h)
      : stream_(stream), saved_(platform::replace_standard_stream(stream, h)) {}
  ~StreamSwap() { platform::replace_standard_stream(stream_, saved_); }
  StreamSwap(const StreamSwap&) = delete;
  StreamSwap& operator=(const StreamSwap&) = delete;

 private:
  platform::Stream stream_;
  platform::Handle saved_;
};

void close_handle(platform::Handle& h) {
  platform::ErrorCode ignored;
  if (h != platform::kNoHandle) platform::close_handle(h, &ignored);
  h = platform::kNoHandle;
}

// A scratch file opened through the platform.
platform::Handle open_scratch(const std::string& name, bool for_writing) {
  platform::Handle h = platform::kNoHandle;
  bool read_only;
  platform::ErrorCode error = 0;
  EXPECT_TRUE(for_writing ? platform::open_for_writing(name, &h, &read_only, &error)
                          : platform::open_for_reading(name, &h, &error)) << name << ", error " << error;
  return h;
}

}  // namespace

ScratchFile::ScratchFile(const std::string& bytes, bool for_writing) {
  const std::string name = dir_.file("scratch");
  write_file(name, bytes);
  handle_ = open_scratch(name, for_writing);
}

ScratchFile::~ScratchFile() { close_handle(handle_); }

void close_pipe(Pipe& pipe) {
  close_handle(pipe.read);
  close_handle(pipe.write);
}

// The reader takes the writes while `f` makes them, so that no pipe fills.
std::vector<std::string> capture_writes(const std::function<void()>& f) {
  Pipe pipe = message_pipe();
  std::vector<std::string> writes;
  std::thread reader([&] {
    char buf[65536];
    size_t n;
    platform::ErrorCode error;
    while (platform::read_some(pipe.read, buf, sizeof buf, &n, &error) && n > 0) writes.emplace_back(buf, n);
  });
  {
    StreamSwap swap(platform::Stream::output, pipe.write);
    f();
  }
  close_handle(pipe.write);
  reader.join();
  close_pipe(pipe);
  return writes;
}

std::string capture_bytes(platform::Stream stream, const std::function<void()>& f) {
  TempDir dir;
  const std::string name = dir.file("captured");
  platform::Handle h = open_scratch(name, true);
  {
    StreamSwap swap(stream, h);
    f();
  }
  close_handle(h);
  return read_file(name);
}

void with_output_to_closed_pipe(const std::function<void()>& f) {
  Pipe pipe = message_pipe();
  close_handle(pipe.read);
  StreamSwap swap(platform::Stream::output, pipe.write);
  f();
  close_pipe(pipe);
}
