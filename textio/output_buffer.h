// SPDX-License-Identifier: Apache-2.0
// Whole records held back for one output and written many at a time
// (--buffered): one buffer of a fixed size, allocated before the output's
// first record and kept, so that an event handler can write out what it
// holds without allocating anything.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>

// At least 64 KiB; a record longer than this is written alone.
inline constexpr size_t kOutputBufferSize = 64 * 1024;

struct OutputBuffer {
  char* bytes = nullptr;  // kOutputBufferSize bytes, or none while unbuffered
  size_t len = 0;         // the whole records held
  bool active() const { return bytes != nullptr; }
  bool fits(size_t n) const { return kOutputBufferSize - len >= n; }
};

// Gives the buffer its bytes, once: they are kept for the process.
inline void allocate(OutputBuffer& b) {
  if (!b.bytes) b.bytes = new char[kOutputBufferSize];
}

// Appends a record that fits. The held length grows only once the record is
// in place: a handler that writes the buffer out meanwhile sees whole records.
inline void hold_record(OutputBuffer& b, const char* bytes, size_t n) {
  memcpy(b.bytes + b.len, bytes, n);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  b.len += n;
}

// The length of the whole records at the start of bytes[0, n): up to the
// last line feed, as every record ends with one and holds no other.
inline size_t whole_records(const char* bytes, size_t n) {
  size_t last = std::string_view(bytes, n).rfind('\n');
  return last == std::string_view::npos ? 0 : last + 1;
}
