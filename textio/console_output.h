// SPDX-License-Identifier: Apache-2.0
// Every line the program writes, composed byte for byte: the console styles
// (standard output, one write per line, CR LF line ends) and the layout of
// the records of the output files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// One blank, then the text; a text of more than 79 characters goes out in
// pieces of 79, each a line of its own.
void write_plain_line(std::string_view text);
void write_empty_plain_line();
// The text as it stands, then the line end.
void write_text_line(std::string_view text);
// 17 blanks, then the text.
void write_banner_line(std::string_view text);
// The text alone, no line end: the reply follows on the same line.
void write_prompt_line(std::string_view text);
// The text, then the number right-aligned in 6 characters.
void write_count_line(std::string_view text, int32_t number);

// Writes `value` right-aligned in exactly `width` characters, or `width`
// asterisks when sign and digits need more room.
void put_int_field(char* out, int32_t value, int width);

// Record layouts for the output files. The record's text is already at
// record[0, len); these append the direction code (coded record) and the
// line end, and return the record's new length. Room for kRecordRoom more
// bytes is the caller's.
inline constexpr int kCodeWidth = 4;  // the direction code of a coded record
inline constexpr size_t kRecordRoom = kCodeWidth + 2;
size_t finish_text_record(char* record, size_t len);
size_t finish_coded_record(char* record, size_t len, int32_t code);
