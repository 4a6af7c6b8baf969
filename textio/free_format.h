// SPDX-License-Identifier: Apache-2.0
// Free-format (list-directed) reading of one value, from a text or from the
// console input. A null value (a comma) or a slash leaves the target as it
// was. A read fails with 59 syntax error, 64 conversion error or 24 end of
// the source; that ends the run, on unit -5 for a text and -4 for the
// console, except for a data field, whose reader reports it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "endings/report_line.h"
#include "textio/number_conversion.h"

// The first value of a text, such as a command argument.
void read_text_value(std::string_view text, int32_t* target);

// The whole grammar, for a data field that is not a plain decimal.
bool read_field_grammar(std::string_view text, double* target, Failure* failure);

// The first value of a data field. False when the field cannot be read, the
// failure in *failure and the target as it was: the caller reports it with
// the field's place in the input. A field that is a plain decimal as a
// whole, as a coordinate field nearly always is, holds no blank, separator
// or repeat count: it is the value, converted right in the caller.
[[nodiscard]] inline bool read_field_value(std::string_view text, double* target, Failure* failure) {
  return convert_short_decimal(text, target) || read_field_grammar(text, target, failure);
}

// The next value typed on standard input. The read starts on a new line and
// drops what is left of the last line it used. A text value is a name: a
// slash is one of its characters, as a blank, TAB or comma is not unless
// quoted; it holds at most 2049 characters.
void read_console_value(int32_t* target);
void read_console_value(std::string* target);

// One whole line of standard input, as it stands.
void read_console_line(std::string* target);
