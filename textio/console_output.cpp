// SPDX-License-Identifier: Apache-2.0
#include "textio/console_output.h"

#include <cstdlib>
#include <cstring>

#include "endings/ending.h"
#include "platform/platform.h"
#include "textio/record_layout.h"

namespace {

const size_t kPlainLineText = 79;
const size_t kPlainLead = 1;    // the blank before a plain line's text
const size_t kBannerLead = 17;  // the banner's text starts in column 18
const int kCountWidth = 6;      // the number of a count line

// Room to compose one console line: on the stack when it is small.
class LineBuffer {
 public:
  explicit LineBuffer(size_t n) : p_(n <= sizeof small_ ? small_ : static_cast<char*>(malloc(n))) {
    if (!p_) raise_failure(Failure::record_overflow, Unit::console_output);
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

void write_console(const char* bytes, size_t n) {
  size_t written;
  platform::ErrorCode error;
  if (!platform::write_all(platform::standard_stream(platform::Stream::output), bytes, n, &written, &error))
    raise_failure(Failure::write_error, Unit::console_output);  // console units show no system line
}

// Writes `lead` blanks, the text, the optional number field and the line end.
void write_line(size_t lead, std::string_view text, const int32_t* number, std::string_view end = kLineEnd) {
  size_t n = lead + text.size() + (number ? kCountWidth : 0) + end.size();
  LineBuffer buf(n);
  char* p = buf.data();
  memset(p, ' ', lead);
  text.copy(p + lead, text.size());
  size_t len = lead + text.size();
  if (number) {
    put_int_field(p + len, *number, kCountWidth);
    len += kCountWidth;
  }
  len += end.copy(p + len, end.size());
  write_console(p, len);
}

}  // namespace

void write_plain_line(std::string_view text) {
  do {
    write_line(kPlainLead, text.substr(0, kPlainLineText), nullptr);
    text.remove_prefix(text.size() < kPlainLineText ? text.size() : kPlainLineText);
  } while (!text.empty());
}

void write_empty_plain_line() { write_line(kPlainLead, {}, nullptr); }

void write_native_line(std::string_view text) { write_line(0, text, nullptr, platform::kNativeLineEnd); }

void write_banner_line(std::string_view text) { write_line(kBannerLead, text, nullptr); }

void write_prompt_line(std::string_view text) { write_console(text.data(), text.size()); }

void write_count_line(std::string_view text, int32_t number) { write_line(0, text, &number); }
