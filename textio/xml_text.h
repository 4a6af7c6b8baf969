// SPDX-License-Identifier: Apache-2.0
// Text of an XML document: names and identifiers escaped, numbers written
// by the program's own integer code (no locale, no C library formatting), so
// that a document is the same bytes on every platform.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Appends `text` as XML character data or attribute value: & < > " ' as
// entities; control bytes, and the bytes of anything that is not a whole
// UTF-8 character XML allows, as \xNN (two upper-case hex digits), as
// reports show a field.
void append_xml_text(std::string& out, std::string_view text);

// Appends mantissa * 10^exponent in decimal: "-12.5", "0.001", "250000";
// a fraction without trailing zeros, and beyond twelve zeros the form
// "25e13".
void append_scaled(std::string& out, int64_t mantissa, int exponent);
