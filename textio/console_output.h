// SPDX-License-Identifier: Apache-2.0
// The console styles, composed byte for byte: standard output, one write
// per line, CR LF line ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// One blank, then the text; a text of more than 79 characters goes out in
// pieces of 79, each a line of its own.
void write_plain_line(std::string_view text);
void write_empty_plain_line();
// The text as it stands, then the platform's own line end (LF on POSIX,
// CR LF on Windows): a line that a shell script reads, as --version writes.
void write_native_line(std::string_view text);
// 17 blanks, then the text.
void write_banner_line(std::string_view text);
// The text alone, no line end: the reply follows on the same line.
void write_prompt_line(std::string_view text);
// The text, then the number right-aligned in 6 characters.
void write_count_line(std::string_view text, int32_t number);
