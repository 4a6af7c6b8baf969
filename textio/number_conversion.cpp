// SPDX-License-Identifier: Apache-2.0
#include "textio/number_conversion.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#ifdef SEGMENTOR_REAL_FROM_STRTOD
#include <cerrno>
#include <cstdlib>
#endif

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }
bool is_exponent_letter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
}

// An exponent written with more significant digits than this is out of any
// range a real can have.
const size_t kMaxExponentDigits = 6;

// The range of an integer target, in a type that holds both ends and more.
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

// The parts of a real of the accepted form.
struct RealParts {
  bool negative = false;
  std::string_view mantissa;  // digits with at most one point
  bool exponent_negative = false;
  std::string_view exponent;  // digits, leading zeros removed
};

bool split_real(std::string_view t, RealParts* r) {
  size_t i = 0;
  if (i < t.size() && is_sign(t[i])) r->negative = t[i++] == '-';
  size_t start = i;
  bool point = false, digit = false;
  for (; i < t.size(); ++i) {
    if (is_digit(t[i])) {
      digit = true;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digit) return false;
  r->mantissa = t.substr(start, i - start);
  if (i == t.size()) return true;
  if (is_exponent_letter(t[i])) ++i;
  else if (!is_sign(t[i])) return false;
  bool sign_only = !is_exponent_letter(t[i - 1]);
  if (i < t.size() && is_sign(t[i])) r->exponent_negative = t[i++] == '-';
  size_t digits = i;
  while (i < t.size() && is_digit(t[i])) ++i;
  if (i != t.size() || (sign_only && i == digits)) return false;
  while (digits < i && t[digits] == '0') ++digits;
  r->exponent = t.substr(digits, i - digits);
  return true;
}

bool is_zero(std::string_view mantissa) {
  for (char c : mantissa)
    if (c != '0' && c != '.') return false;
  return true;
}

// The power of ten of the mantissa's first significant digit.
long leading_power(std::string_view mantissa) {
  size_t point = mantissa.find('.');
  if (point == std::string_view::npos) point = mantissa.size();
  long pos = 0;  // digits seen before the first significant one
  for (char c : mantissa) {
    if (c == '.') continue;
    if (c != '0') break;
    ++pos;
  }
  return static_cast<long>(point) - 1 - pos;
}

// The double a plain decimal of `len` bytes, [-]mantissa[e[-]digits], rounds
// to; false when the text is out of range (*out_of_range) or no such decimal.
#ifdef SEGMENTOR_REAL_FROM_STRTOD
// This standard library has no from_chars for double. strtod in the "C"
// locale rounds correctly too; its answer is put the way from_chars gives
// it: a subnormal value is a value, out of range only when the result is
// infinite or a zero.
bool plain_to_double(const char* text, size_t len, double* value, bool* out_of_range) {
  // The program never sets a locale, so strtod reads in the "C" locale.
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  *out_of_range = errno == ERANGE && (v == 0.0 || std::isinf(v));
  if (*out_of_range || end != text + len) return false;
  *value = v;
  return true;
}
#else
bool plain_to_double(const char* text, size_t len, double* value, bool* out_of_range) {
  auto [end, ec] = std::from_chars(text, text + len, *value, std::chars_format::general);
  *out_of_range = ec == std::errc::result_out_of_range;
  return ec == std::errc() && end == text + len;
}
#endif

}  // namespace

bool numeric_token_valid(std::string_view t) {
  int points = 0, letters = 0;
  bool any_digit = false, digit_after_sign = true;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (is_digit(c)) {
      any_digit = digit_after_sign = true;
    } else if (is_sign(c)) {
      if (i > 0 && is_sign(t[i - 1])) return false;
      digit_after_sign = false;
    } else if (c == '.') {
      if (++points > 1) return false;
    } else if (is_exponent_letter(c)) {
      // After a digit, or after a point that follows a digit (5.e3).
      bool after_digit = i > 0 && (is_digit(t[i - 1]) || (t[i - 1] == '.' && i > 1 && is_digit(t[i - 2])));
      if (++letters > 1 || !after_digit) return false;
    } else {
      return false;
    }
  }
  return any_digit && digit_after_sign;
}

// A plain decimal of at most 15 digits, such as most coordinates, converts
// exactly: its digits and the power of ten are both exact doubles, so one
// multiplication or division rounds correctly.
bool convert_short_decimal(std::string_view t, double* out) {
  const size_t kExactDigits = 15;  // 10^15 < 2^53: such digits are an exact double
  static const double kPowers[kExactDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* p = t.data();
  const char* end = p + t.size();
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  uint64_t digits = 0;  // wraps harmlessly for tokens that are too long
  const char* first = p;
  const char* point = nullptr;
  for (; p < end; ++p) {
    // Any byte but a digit comes out above 9.
    unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit <= 9) {
      digits = digits * 10 + digit;
    } else if (*p == '.' && !point) {
      point = p;
    } else {
      return false;
    }
  }
  size_t count = static_cast<size_t>(end - first) - (point ? 1 : 0);
  size_t fraction = point ? static_cast<size_t>(end - point - 1) : 0;
  if (count == 0 || count > kExactDigits) return false;
  double value = static_cast<double>(digits) / kPowers[fraction];
  *out = negative ? -value : value;
  return true;
}

bool is_decimal_number(std::string_view t) {
  size_t i = 0;
  auto skip_digits = [&] {
    size_t start = i;
    while (i < t.size() && is_digit(t[i])) ++i;
    return i - start;
  };
  if (i < t.size() && is_sign(t[i])) ++i;
  size_t digits = skip_digits();
  if (i < t.size() && t[i] == '.') {
    ++i;
    digits += skip_digits();
  }
  if (digits == 0) return false;
  if (i == t.size()) return true;
  if (t[i] != 'E' && t[i] != 'e' && t[i] != 'D' && t[i] != 'd') return false;
  ++i;
  if (i < t.size() && is_sign(t[i])) ++i;
  return skip_digits() > 0 && i == t.size();
}

bool convert_real(std::string_view t, double* out) {
  if (convert_short_decimal(t, out)) return true;
  RealParts r;
  if (!split_real(t, &r)) return false;
  double zero = r.negative ? -0.0 : 0.0;
  if (is_zero(r.mantissa)) {
    *out = zero;
    return true;
  }
  if (r.exponent.size() > kMaxExponentDigits) {
    if (!r.exponent_negative) return false;
    *out = zero;
    return true;
  }
  // The plain form of a C++ or C conversion: [-]mantissa[e[-]digits], NUL.
  char small[128];
  std::string large;
  size_t n = 1 + r.mantissa.size() + 2 + r.exponent.size() + 1;
  char* plain = small;
  if (n > sizeof small) {
    large.resize(n);
    plain = large.data();
  }
  size_t len = 0;
  if (r.negative) plain[len++] = '-';
  r.mantissa.copy(plain + len, r.mantissa.size());
  len += r.mantissa.size();
  if (!r.exponent.empty()) {
    plain[len++] = 'e';
    if (r.exponent_negative) plain[len++] = '-';
    r.exponent.copy(plain + len, r.exponent.size());
    len += r.exponent.size();
  }
  plain[len] = '\0';
  double value;
  bool out_of_range = false;
  if (plain_to_double(plain, len, &value, &out_of_range)) {
    *out = value;
    return true;
  }
  if (!out_of_range) return false;
  // Out of range either way: below 1 it is an underflow, which gives zero.
  long exponent = 0;
  std::from_chars(r.exponent.data(), r.exponent.data() + r.exponent.size(), exponent);
  if (r.exponent_negative) exponent = -exponent;
  if (leading_power(r.mantissa) + exponent >= 0) return false;
  *out = zero;
  return true;
}

bool convert_integer(std::string_view t, int32_t* out) {
  if (t.find_first_of(".EeDdQq") != std::string_view::npos) {
    double real;
    if (!convert_real(t, &real)) return false;
    double truncated = std::trunc(real);
    if (!(truncated >= kInt32Min && truncated <= kInt32Max)) return false;
    *out = static_cast<int32_t>(truncated);
    return true;
  }
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && is_sign(t[i])) negative = t[i++] == '-';
  if (i == t.size()) return false;
  int64_t value = 0;
  for (; i < t.size(); ++i) {
    if (!is_digit(t[i])) return false;
    value = value * 10 + (t[i] - '0');
    if (value > -kInt32Min) return false;  // the largest magnitude either sign can take
  }
  if (negative) value = -value;
  if (value > kInt32Max) return false;
  *out = static_cast<int32_t>(value);
  return true;
}
