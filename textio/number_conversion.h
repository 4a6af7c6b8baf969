// SPDX-License-Identifier: Apache-2.0
// Numeric tokens of free-format input: their syntax, and their conversion
// to a 32-bit integer or to the nearest binary64 real.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// Whether the characters of a numeric token are allowed: digits, signs,
// one point and one exponent letter (E, D or Q in either case) in the
// places a number can have them.
bool numeric_token_valid(std::string_view token);

// Conversions of a token that passed numeric_token_valid. They answer false
// for a conversion error: a value out of range, or characters that do not
// form a number of the accepted form (5-3 for an integer, 1-2e3 for a real).

// Integer syntax: optional leading sign, then digits. Real syntax (a point
// or an exponent letter): the real, truncated toward zero, within range.
bool convert_integer(std::string_view token, int32_t* out);

// Sign, digits with at most one point, then an optional exponent: a letter
// with optional sign and digits (none means 0), or a sign and digits
// directly after the mantissa (1.5-3). Correctly rounded, ties to even; too
// small gives a zero of the value's sign, too large fails.
bool convert_real(std::string_view token, double* out);

// The common case of convert_real, also usable before any syntax check: a
// sign, then at most 15 digits with at most one point. False for any other
// token, which then needs the full path.
bool convert_short_decimal(std::string_view token, double* out);

// Whether the text is a plain decimal number and nothing else: an optional
// sign, digits with at most one point (at least one digit), and an optional
// exponent of E, e, D or d, an optional sign and at least one digit.
bool is_decimal_number(std::string_view text);
