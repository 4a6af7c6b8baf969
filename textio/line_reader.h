// SPDX-License-Identifier: Apache-2.0
// Cuts a byte stream into text lines: a line feed ends a line, one carriage
// return before it belongs to the terminator, the last line needs none, and a
// line holding only Ctrl-Z ends the input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

enum class LineStatus { line, end, read_error, no_memory };

struct LineReader {
  platform::Handle handle = platform::kNoHandle;
  char* buf = nullptr;
  size_t cap = 0;    // allocated bytes
  size_t pos = 0;    // first unconsumed byte
  size_t end = 0;    // one past the last byte read
  bool at_eof = false;
  platform::ErrorCode error = 0;  // the platform's code of a failed read
  uint64_t lines = 0;             // lines delivered: the number of the last one
};

// On `line`, `line` views the line, valid until the next call. On
// `read_error`, the reader's `error` holds the platform's code.
LineStatus next_line(LineReader& r, std::string_view& line);

// Frees the buffer; the reader can be used again from scratch.
void release_reader(LineReader& r);
