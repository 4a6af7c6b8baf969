// SPDX-License-Identifier: Apache-2.0
#include "textio/line_reader.h"

#include <cstdlib>
#include <cstring>

namespace {

const size_t kFirstBufferSize = 8192;
const char kCtrlZ = 26;

// Makes room behind the unconsumed bytes and reads into it. Only a read that
// delivers nothing is the end: a pipe hands a long input over in pieces.
bool fill(LineReader& r, NoLine* why, platform::ErrorCode* error) {
  if (r.pos > 0) {
    memmove(r.buf, r.buf + r.pos, r.end - r.pos);
    r.end -= r.pos;
    r.pos = 0;
  }
  if (r.end == r.cap) {
    size_t cap = r.cap ? r.cap * 2 : kFirstBufferSize;
    char* grown = static_cast<char*>(realloc(r.buf, cap));
    if (!grown) {
      *why = NoLine::no_memory;
      return false;
    }
    r.buf = grown;
    r.cap = cap;
  }
  size_t got;
  if (!platform::read_some(r.handle, r.buf + r.end, r.cap - r.end, &got, error)) {
    *why = NoLine::read_error;
    return false;
  }
  if (got == 0) r.at_eof = true;
  r.end += got;
  return true;
}

}  // namespace

bool next_line(LineReader& r, std::string_view* line, NoLine* why, platform::ErrorCode* error) {
  for (;;) {
    char* start = r.buf + r.pos;
    size_t avail = r.end - r.pos;
    char* lf = avail ? static_cast<char*>(memchr(start, '\n', avail)) : nullptr;
    size_t n;
    if (lf) {
      n = static_cast<size_t>(lf - start);
      r.pos += n + 1;
    } else if (r.at_eof) {
      if (avail == 0) {
        *why = NoLine::end;
        return false;
      }
      n = avail;
      r.pos = r.end;
    } else {
      if (!fill(r, why, error)) return false;
      continue;
    }
    if (n > 0 && start[n - 1] == '\r') --n;
    if (n == 1 && start[0] == kCtrlZ) {
      // Nothing after a Ctrl-Z line is ever delivered.
      r.at_eof = true;
      r.pos = r.end;
      *why = NoLine::end;
      return false;
    }
    ++r.lines;
    *line = {start, n};
    return true;
  }
}

void release_reader(LineReader& r) {
  free(r.buf);
  r = LineReader{r.handle};
}
