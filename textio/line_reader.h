// SPDX-License-Identifier: Apache-2.0
// Cuts a byte stream into text lines: a line feed ends a line, one carriage
// return before it belongs to the terminator, the last line needs none, and a
// line holding only Ctrl-Z ends the input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

// Why a read delivered no line.
enum class NoLine { end, read_error, no_memory };

struct LineReader {
  platform::Handle handle = platform::kNoHandle;
  char* buf = nullptr;
  size_t cap = 0;    // allocated bytes
  size_t pos = 0;    // first unconsumed byte
  size_t end = 0;    // one past the last byte read
  bool at_eof = false;
  uint64_t lines = 0;  // lines delivered: the number of the last one
};

// *line views the next line, valid until the next call. False when there is
// none: *why says why, and after a failed read *error holds the platform's
// code.
bool next_line(LineReader& r, std::string_view* line, NoLine* why, platform::ErrorCode* error);

// Frees the buffer; the reader can be used again from scratch.
void release_reader(LineReader& r);
