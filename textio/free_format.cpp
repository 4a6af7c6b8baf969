// SPDX-License-Identifier: Apache-2.0
#include "textio/free_format.h"

#include <cstring>

#include "textio/ending.h"
#include "textio/number_conversion.h"
#include "textio/units.h"

namespace {

const size_t kMaxCharacterValue = 2049;

enum class Kind { integer, real, text };

struct Target {
  Kind kind;
  int32_t* integer = nullptr;
  double* real = nullptr;
  std::string* text = nullptr;
};

// The current record of a read and the position in it.
struct Source {
  const char* rec = nullptr;
  size_t len = 0;
  size_t pos = 0;
  bool console = false;
  int unit() const { return console ? kUnitStdin : kUnitInternal; }
  bool at_end() const { return pos >= len; }
  char peek() const { return rec[pos]; }
};

[[noreturn]] void fail(const Source& s, Failure number) { raise_failure(number, s.unit()); }

// Moves the console source to the next line of standard input.
bool next_console_line(Source& s) {
  switch (next_line(run_state().console_in, &s.rec, &s.len)) {
    case LineStatus::line:
      s.pos = 0;
      return true;
    case LineStatus::end:
      return false;
    case LineStatus::read_error:
      raise_failure(kReadError, kUnitStdin);
    case LineStatus::no_memory:
      raise_failure(kNoMemory, kNoUnit);
  }
  return false;
}

bool is_separator_blank(const Source& s, char c) {
  return c == ' ' || c == '\t' || c == '\n' || (s.console && c == '\r');
}

// Passes over blanks up to the next token; the console goes on to further
// lines, a text has none.
void skip_blanks(Source& s) {
  for (;;) {
    while (!s.at_end() && is_separator_blank(s, s.peek())) ++s.pos;
    if (!s.at_end()) return;
    if (!s.console || !next_console_line(s)) fail(s, kEndOfFile);
  }
}

// The characters that end a token of one class, as a table: tokens are
// scanned once per coordinate of every record.
struct Stops {
  bool is[256] = {};
  constexpr explicit Stops(std::string_view chars) {
    for (char c : chars) is[static_cast<unsigned char>(c)] = true;
  }
};

constexpr Stops kNumericStops{{" \t)*,/", 6}};
// A name typed at the prompt: the path separator is one of its characters.
constexpr Stops kUndelimitedStops{{" \t\n\0,", 5}};
constexpr Stops kTruthStops{{" \t\n),/", 6}};

// Where a token that starts at the current position ends.
size_t token_end(const Source& s, const Stops& stops) {
  size_t i = s.pos;
  while (i < s.len && !stops.is[static_cast<unsigned char>(s.rec[i])]) ++i;
  return i;
}

bool is_truth_letter(char c) { return c == 'T' || c == 't' || c == 'F' || c == 'f'; }

bool starts_truth_word(const Source& s) {
  char c = s.peek();
  if (is_truth_letter(c)) return true;
  return c == '.' && s.pos + 1 < s.len && is_truth_letter(s.rec[s.pos + 1]);
}

// A character value collected into the read's buffer.
struct CharacterValue {
  char buf[kMaxCharacterValue];
  size_t len = 0;
  void add(const Source& s, char c) {
    if (len == kMaxCharacterValue) fail(s, kSyntaxError);
    buf[len++] = c;
  }
};

void read_quoted(Source& s, CharacterValue& v) {
  char quote = s.peek();
  ++s.pos;
  for (;;) {
    if (s.at_end()) {
      // The console value goes on at the start of the next line.
      if (!s.console) fail(s, kSyntaxError);
      if (!next_console_line(s)) fail(s, kEndOfFile);
      continue;
    }
    char c = s.peek();
    if (!s.console && (c == '\n' || c == '\0')) fail(s, kSyntaxError);
    ++s.pos;
    if (c == quote) {
      if (s.at_end() || s.peek() != quote) return;
      ++s.pos;
    }
    v.add(s, c);
  }
}

void read_undelimited(Source& s, CharacterValue& v) {
  size_t end = token_end(s, kUndelimitedStops);
  if (end - s.pos > kMaxCharacterValue) fail(s, kSyntaxError);
  for (; s.pos < end; ++s.pos) v.add(s, s.peek());
}

void assign_text(const Target& t, const CharacterValue& v) { t.text->assign(v.buf, v.len); }

// A truth word: only its first letter after an optional point counts.
void read_truth(Source& s, const Target& t) {
  size_t letter = s.pos + (s.peek() == '.' ? 1 : 0);
  bool value = s.rec[letter] == 'T' || s.rec[letter] == 't';
  s.pos = token_end(s, kTruthStops);
  switch (t.kind) {
    case Kind::integer: *t.integer = value ? -1 : 0; break;
    case Kind::real: *t.real = value ? -1.0 : 0.0; break;
    case Kind::text: fail(s, kConversionError);
  }
}

// Reads one value into the target, or nothing for a null value or a slash.
void read_value(Source& s, const Target& t) {
  skip_blanks(s);
  // After a repeat count the value is scanned as for a numeric target.
  bool numeric = t.kind != Kind::text;
  // A comma right after a "(" separates it from the value, once per read;
  // any other comma met before a value is a null value.
  bool after_paren = false, comma_consumed = false;
  for (;;) {
    char c = s.peek();
    if (c == ',' && after_paren && !comma_consumed) {
      comma_consumed = true;
      after_paren = false;
      ++s.pos;
      skip_blanks(s);
      continue;
    }
    // A slash ends the read; a name read as text may begin with one.
    if (c == ',' || (c == '/' && numeric)) return;
    if (c == '\'' || c == '"') {
      CharacterValue v;
      read_quoted(s, v);
      if (t.kind != Kind::text) fail(s, kConversionError);
      assign_text(t, v);
      return;
    }
    if (t.kind == Kind::integer && c == '(') {
      ++s.pos;
      skip_blanks(s);
      after_paren = true;
      continue;
    }
    if (numeric && (c == '(' || c == ')')) fail(s, kSyntaxError);
    if (numeric && starts_truth_word(s)) {
      read_truth(s, t);
      return;
    }
    size_t end = token_end(s, kNumericStops);
    std::string_view token{s.rec + s.pos, end - s.pos};
    bool repeat = end < s.len && s.rec[end] == '*';
    if (!numeric && !(repeat && !token.empty() && token.find_first_not_of("0123456789") == std::string_view::npos)) {
      CharacterValue v;
      read_undelimited(s, v);
      assign_text(t, v);
      return;
    }
    if (token.empty() || !numeric_token_valid(token)) fail(s, kSyntaxError);
    if (repeat) {
      // The count is an integer; a single target takes one copy of the
      // value whatever the count says.
      int32_t count;
      if (token.find_first_of(".EeDdQq") != std::string_view::npos || !convert_integer(token, &count))
        fail(s, kConversionError);
      s.pos = end + 1;
      if (s.at_end() || s.peek() == ' ' || s.peek() == '\t' || s.peek() == ',') return;
      numeric = true;
      continue;
    }
    s.pos = end;
    bool ok = false;
    switch (t.kind) {
      case Kind::integer: ok = convert_integer(token, t.integer); break;
      case Kind::real: ok = convert_real(token, t.real); break;
      case Kind::text: ok = false; break;
    }
    if (!ok) fail(s, kConversionError);
    return;
  }
}

void read_text(std::string_view text, const Target& t) {
  Source s;
  s.rec = text.data();
  s.len = text.size();
  read_value(s, t);
}

void read_console(const Target& t) {
  Source s;
  s.console = true;
  if (!next_console_line(s)) fail(s, kEndOfFile);
  read_value(s, t);
}

}  // namespace

void read_text_value(std::string_view text, int32_t& target) {
  read_text(text, {.kind = Kind::integer, .integer = &target});
}

void read_text_value(std::string_view text, double& target) {
  // A text that is a plain decimal as a whole, as a coordinate field nearly
  // always is, holds no blank, separator or repeat count: it is the value.
  if (convert_short_decimal(text, &target)) return;
  read_text(text, {.kind = Kind::real, .real = &target});
}

void read_console_value(int32_t& target) { read_console({.kind = Kind::integer, .integer = &target}); }

void read_console_value(std::string& target) { read_console({.kind = Kind::text, .text = &target}); }

void read_console_line(std::string& target) {
  Source s;
  s.console = true;
  if (!next_console_line(s)) fail(s, kEndOfFile);
  target.assign(s.rec, s.len);
}
