// SPDX-License-Identifier: Apache-2.0
#include "textio/free_format.h"

#include "endings/ending.h"
#include "textio/number_conversion.h"
#include "textio/unit_table.h"

using namespace std::string_view_literals;

namespace {

const size_t kMaxCharacterValue = 2049;

enum class Kind { integer, real, text };

struct Target {
  Kind kind;
  int32_t* integer = nullptr;
  double* real = nullptr;
  std::string* text = nullptr;
};

// The current record of a read, the position in it, and why the read failed.
struct Source {
  const char* rec = nullptr;
  size_t len = 0;
  size_t pos = 0;
  bool console = false;
  Failure failure{};
  bool at_end() const { return pos >= len; }
  char peek() const { return rec[pos]; }
};

// Every step of a read answers false when the read fails, the number kept in
// the source: a text read hands it to its caller, a console read reports it.
bool failed(Source& s, Failure number) {
  s.failure = number;
  return false;
}

// Moves the console source to the next line of standard input. False at the
// end of the input; a refused read ends the run here.
bool next_console_line(Source& s) {
  std::string_view line;
  NoLine why;
  platform::ErrorCode ignored;  // console units show no system line
  if (next_line(unit_table().console_in, &line, &why, &ignored)) {
    s.rec = line.data();
    s.len = line.size();
    s.pos = 0;
    return true;
  }
  if (why == NoLine::read_error) raise_failure(Failure::read_error, Unit::console_input);
  if (why == NoLine::no_memory) raise_failure(Failure::no_memory, Unit::none);
  return false;
}

bool is_separator_blank(const Source& s, char c) {
  return c == ' ' || c == '\t' || c == '\n' || (s.console && c == '\r');
}

// Passes over blanks up to the next token; the console goes on to further
// lines, a text has none.
bool skip_blanks(Source& s) {
  for (;;) {
    while (!s.at_end() && is_separator_blank(s, s.peek())) ++s.pos;
    if (!s.at_end()) return true;
    if (!s.console || !next_console_line(s)) return failed(s, Failure::end_of_file);
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

constexpr Stops kNumericStops{" \t)*,/"sv};
// A name typed at the prompt: the path separator is one of its characters.
constexpr Stops kUndelimitedStops{" \t\n\0,"sv};
constexpr Stops kTruthStops{" \t\n),/"sv};

// Where a token that starts at the current position ends.
size_t token_end(const Source& s, const Stops& stops) {
  size_t i = s.pos;
  while (i < s.len && !stops.is[static_cast<unsigned char>(s.rec[i])]) ++i;
  return i;
}

// What a read has passed over that changes how it goes on.
struct ReadState {
  bool numeric;                 // the token is scanned as for a numeric target
  bool comma_consumed = false;  // the one separator a read may pass over
};

// A "(" before an integer is passed over, and so is the first comma of the
// read after one: "(5,3)" and "(,5)" give 5. Any other comma met before a
// value is a null value.
bool skip_opening_parentheses(Source& s, const Target& t, ReadState& r) {
  while (t.kind == Kind::integer && s.peek() == '(') {
    ++s.pos;
    if (!skip_blanks(s)) return false;
    if (s.peek() == ',' && !r.comma_consumed) {
      r.comma_consumed = true;
      ++s.pos;
      if (!skip_blanks(s)) return false;
    }
  }
  return true;
}

// A null value (a comma) or a slash: the read ends and assigns nothing. A
// name read as text may begin with a slash.
bool ends_without_value(char c, const ReadState& r) { return c == ',' || (c == '/' && r.numeric); }

bool is_quote(char c) { return c == '\'' || c == '"'; }

// A character value collected into the read's buffer.
struct CharacterValue {
  char buf[kMaxCharacterValue];
  size_t len = 0;
};

bool scan_quoted(Source& s, CharacterValue* v) {
  char quote = s.peek();
  ++s.pos;
  for (;;) {
    if (s.at_end()) {
      // The console value goes on at the start of the next line.
      if (!s.console) return failed(s, Failure::syntax_error);
      if (!next_console_line(s)) return failed(s, Failure::end_of_file);
      continue;
    }
    char c = s.peek();
    if (!s.console && (c == '\n' || c == '\0')) return failed(s, Failure::syntax_error);
    ++s.pos;
    if (c == quote) {
      if (s.at_end() || s.peek() != quote) return true;
      ++s.pos;  // two quotes stand for one
    }
    if (v->len == kMaxCharacterValue) return failed(s, Failure::syntax_error);
    v->buf[v->len++] = c;
  }
}

// A quoted value is a name; given for a number it is a conversion error.
bool read_quoted(Source& s, const Target& t) {
  CharacterValue v;
  if (!scan_quoted(s, &v)) return false;
  if (t.kind != Kind::text) return failed(s, Failure::conversion_error);
  t.text->assign(v.buf, v.len);
  return true;
}

// A name up to the first blank, TAB, LF, NUL or comma.
bool read_undelimited(Source& s, const Target& t) {
  size_t end = token_end(s, kUndelimitedStops);
  if (end - s.pos > kMaxCharacterValue) return failed(s, Failure::syntax_error);
  t.text->assign(s.rec + s.pos, end - s.pos);
  s.pos = end;
  return true;
}

bool is_truth_letter(char c) { return c == 'T' || c == 't' || c == 'F' || c == 'f'; }

bool starts_truth_word(const Source& s) {
  char c = s.peek();
  if (is_truth_letter(c)) return true;
  return c == '.' && s.pos + 1 < s.len && is_truth_letter(s.rec[s.pos + 1]);
}

// A truth word: only its first letter after an optional point counts.
bool read_truth(Source& s, const Target& t) {
  size_t letter = s.pos + (s.peek() == '.' ? 1 : 0);
  bool value = s.rec[letter] == 'T' || s.rec[letter] == 't';
  s.pos = token_end(s, kTruthStops);
  switch (t.kind) {
    case Kind::integer: *t.integer = value ? -1 : 0; return true;
    case Kind::real: *t.real = value ? -1.0 : 0.0; return true;
    case Kind::text: break;
  }
  return failed(s, Failure::conversion_error);
}

// A numeric token runs to the first blank, TAB, ")", "*", comma or slash; an
// asterisk right after it makes it a repeat count.
struct NumericToken {
  std::string_view text;
  bool repeat;
};

NumericToken numeric_token(const Source& s) {
  size_t end = token_end(s, kNumericStops);
  return {{s.rec + s.pos, end - s.pos}, end < s.len && s.rec[end] == '*'};
}

// Before a text target only digits with an asterisk are a repeat count;
// anything else there begins a name.
bool is_repeat_of_digits(const NumericToken& token) {
  return token.repeat && !token.text.empty() && token.text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The count is an integer; a single target takes one copy of the value
// whatever the count says. Passes over the count and its asterisk.
bool skip_repeat_count(Source& s, std::string_view count) {
  int32_t ignored;
  if (count.find_first_of(".EeDdQq") != std::string_view::npos || !convert_integer(count, &ignored))
    return failed(s, Failure::conversion_error);
  s.pos += count.size() + 1;
  return true;
}

// After a repeat count, a blank, TAB, comma or the end of the record make
// the repeated value a null value.
bool repeats_null_value(const Source& s) {
  return s.at_end() || s.peek() == ' ' || s.peek() == '\t' || s.peek() == ',';
}

// A numeric token converted into the target.
bool read_number(Source& s, const Target& t, std::string_view token) {
  s.pos += token.size();
  bool converted = false;
  switch (t.kind) {
    case Kind::integer: converted = convert_integer(token, t.integer); break;
    case Kind::real: converted = convert_real(token, t.real); break;
    case Kind::text: break;
  }
  return converted || failed(s, Failure::conversion_error);
}

// Reads one value into the target, or nothing for a null value or a slash.
// The first character of a token decides its class; a repeat count sends the
// read round again for the value it repeats, scanned as for a number.
bool read_value(Source& s, const Target& t) {
  if (!skip_blanks(s)) return false;
  ReadState r{.numeric = t.kind != Kind::text};
  for (;;) {
    if (!skip_opening_parentheses(s, t, r)) return false;
    char c = s.peek();
    if (ends_without_value(c, r)) return true;
    if (is_quote(c)) return read_quoted(s, t);
    if (r.numeric && (c == '(' || c == ')')) return failed(s, Failure::syntax_error);
    if (r.numeric && starts_truth_word(s)) return read_truth(s, t);
    NumericToken token = numeric_token(s);
    if (!r.numeric && !is_repeat_of_digits(token)) return read_undelimited(s, t);
    if (token.text.empty() || !numeric_token_valid(token.text)) return failed(s, Failure::syntax_error);
    if (!token.repeat) return read_number(s, t, token.text);
    if (!skip_repeat_count(s, token.text)) return false;
    if (repeats_null_value(s)) return true;
    r.numeric = true;
  }
}

Source text_source(std::string_view text) { return {.rec = text.data(), .len = text.size()}; }

void read_console(const Target& t) {
  Source s{.console = true};
  if (!next_console_line(s)) raise_failure(Failure::end_of_file, Unit::console_input);
  if (!read_value(s, t)) raise_failure(s.failure, Unit::console_input);
}

}  // namespace

void read_text_value(std::string_view text, int32_t* target) {
  Source s = text_source(text);
  if (!read_value(s, {.kind = Kind::integer, .integer = target})) raise_failure(s.failure, Unit::internal_read);
}

bool read_field_grammar(std::string_view text, double* target, Failure* failure) {
  Source s = text_source(text);
  if (read_value(s, {.kind = Kind::real, .real = target})) return true;
  *failure = s.failure;
  return false;
}

void read_console_value(int32_t* target) { read_console({.kind = Kind::integer, .integer = target}); }

void read_console_value(std::string* target) { read_console({.kind = Kind::text, .text = target}); }

void read_console_line(std::string* target) {
  Source s{.console = true};
  if (!next_console_line(s)) raise_failure(Failure::end_of_file, Unit::console_input);
  target->assign(s.rec, s.len);
}
