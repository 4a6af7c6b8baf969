// SPDX-License-Identifier: Apache-2.0
#include "textio/console_output.h"

#include <cstdlib>
#include <cstring>

#include "textio/ending.h"
#include "textio/platform.h"
#include "textio/units.h"

namespace {

const size_t kPlainLineText = 79;

// Room to compose one console line: on the stack when it is small.
class LineBuffer {
 public:
  explicit LineBuffer(size_t n) : p_(n <= sizeof small_ ? small_ : static_cast<char*>(malloc(n))) {
    if (!p_) raise_failure(kRecordOverflow, kUnitStdout);
  }
  ~LineBuffer() {
    if (p_ != small_) free(p_);
  }
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;
  char* data() { return p_; }

 private:
  char small_[256];
  char* p_;
};

// Kept inline where the width is a constant: the field's blanks are then one
// store, not a call, and every coded record has one field.
[[gnu::always_inline]] inline void put_field(char* out, int32_t value, int width) {
  char digits[12];
  int n = 0;
  int64_t v = value;
  uint64_t mag = static_cast<uint64_t>(v < 0 ? -v : v);
  do {
    digits[n++] = static_cast<char>('0' + mag % 10);
    mag /= 10;
  } while (mag);
  if (value < 0) digits[n++] = '-';
  bool fits = n <= width;
  memset(out, fits ? ' ' : '*', static_cast<size_t>(width));
  if (!fits) return;
  for (int i = 0; i < n; ++i) out[width - 1 - i] = digits[i];
}

void write_console(const char* bytes, size_t n) {
  size_t written;
  platform::ErrorCode error;
  if (!platform::write_all(platform::standard_stream(platform::Stream::output), bytes, n, &written, &error))
    raise_failure(kWriteError, kUnitStdout);  // console units show no system line
}

// Writes `lead` blanks, the text, the optional number field and the line end.
void write_line(size_t lead, std::string_view text, const int32_t* number) {
  size_t n = lead + text.size() + (number ? 6 : 0) + 2;
  LineBuffer buf(n);
  char* p = buf.data();
  memset(p, ' ', lead);
  text.copy(p + lead, text.size());
  size_t len = lead + text.size();
  if (number) {
    put_int_field(p + len, *number, 6);
    len += 6;
  }
  p[len++] = '\r';
  p[len++] = '\n';
  write_console(p, len);
}

}  // namespace

void write_plain_line(std::string_view text) {
  do {
    write_line(1, text.substr(0, kPlainLineText), nullptr);
    text.remove_prefix(text.size() < kPlainLineText ? text.size() : kPlainLineText);
  } while (!text.empty());
}

void write_empty_plain_line() { write_line(1, {}, nullptr); }

void write_text_line(std::string_view text) { write_line(0, text, nullptr); }

void write_banner_line(std::string_view text) { write_line(17, text, nullptr); }

void write_prompt_line(std::string_view text) { write_console(text.data(), text.size()); }

void write_count_line(std::string_view text, int32_t number) { write_line(0, text, &number); }

void put_int_field(char* out, int32_t value, int width) { put_field(out, value, width); }

size_t finish_text_record(char* record, size_t len) {
  record[len++] = '\r';
  record[len++] = '\n';
  return len;
}

size_t finish_coded_record(char* record, size_t len, int32_t code) {
  put_field(record + len, code, kCodeWidth);
  return finish_text_record(record, len + kCodeWidth);
}
