// SPDX-License-Identifier: Apache-2.0
// The records of the output files and what they are made of: a text is
// compared and written without its trailing blanks (a value equals itself
// padded with blanks, whatever the length of a line, a field or a name); a
// text record is the text and the line end; a coded record is the text, the
// direction code right-aligned in 4 characters and the line end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Length without the trailing blanks.
size_t trimmed_length(const char* s, size_t n);
inline std::string_view trimmed(std::string_view s) { return s.substr(0, trimmed_length(s.data(), s.size())); }
bool is_blank(std::string_view s);

// Every record ends with CR LF, on every platform.
inline constexpr std::string_view kLineEnd = "\r\n";

// Writes `value` right-aligned in exactly `width` characters, or `width`
// asterisks when sign and digits need more room.
void put_int_field(char* out, int32_t value, int width);

inline constexpr int kCodeWidth = 4;  // the direction code of a coded record
// Room a coded record needs behind its text: its code and its line end.
inline constexpr size_t kRecordRoom = kCodeWidth + kLineEnd.size();

std::string text_record(std::string_view text);
// The record's text is at record[0, len), with kRecordRoom bytes of room
// behind it: appends the code and the line end, returns the record's length.
size_t finish_coded_record(char* record, size_t len, int32_t code);
