// SPDX-License-Identifier: Apache-2.0
// Console lines and output-file records, byte for byte. Console output is
// caught on a pipe of which every read returns exactly one write, so the
// tests also see how a line was handed over.
#include "textio/console_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/run_ending.h"
#include "tests/unit_support.h"
#include "textio/record_layout.h"

namespace {

using Writes = std::vector<std::string>;

struct StyleCase {
  const char* name;
  std::function<void()> call;
  Writes expected;
};

std::string text_of(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}

const std::string k79 = text_of(79), k80 = text_of(80), k200 = text_of(200);
const std::string kStars(44, '*');

const StyleCase kStyleCases[] = {
    {"PlainTextWithOwnBlank", [] { write_plain_line(" Where:"); }, {"  Where:\r\n"}},
    {"PlainOrdinary", [] { write_plain_line("The header line count cannot be negative"); },
     {" The header line count cannot be negative\r\n"}},
    {"PlainSingleBlank", [] { write_plain_line(" "); }, {"  \r\n"}},
    {"PlainKeepsTrailingBlank", [] { write_plain_line(" Command line usage : "); },
     {"  Command line usage : \r\n"}},
    {"PlainEmptyText", [] { write_plain_line(""); }, {" \r\n"}},
    {"EmptyPlain", [] { write_empty_plain_line(); }, {" \r\n"}},
    {"Plain79", [] { write_plain_line(k79); }, {" " + k79 + "\r\n"}},
    {"Plain80", [] { write_plain_line(k80); }, {" " + k80.substr(0, 79) + "\r\n", " " + k80.substr(79) + "\r\n"}},
    {"Plain200", [] { write_plain_line(k200); },
     {" " + k200.substr(0, 79) + "\r\n", " " + k200.substr(79, 79) + "\r\n", " " + k200.substr(158) + "\r\n"}},
    {"PlainBytesUnchanged", [] { write_plain_line(std::string("a\tb\0c\xe9", 6)); },
     {std::string(" a\tb\0c\xe9\r\n", 9)}},
    {"Banner", [] { write_banner_line(kStars); }, {std::string(17, ' ') + kStars + "\r\n"}},
    {"BannerEmpty", [] { write_banner_line(""); }, {std::string(17, ' ') + "\r\n"}},
    {"Prompt", [] { write_prompt_line(" Enter the number of header lines : "); },
     {" Enter the number of header lines : "}},
    {"CountLine", [] { write_count_line(" Processed: L1", 25); }, {" Processed: L1    25\r\n"}},
    {"CountLineComplete", [] { write_count_line(" Processing complete: ", 3); },
     {" Processing complete:      3\r\n"}},
    {"CountLineZero", [] { write_count_line(" Processed: ", 0); }, {" Processed:      0\r\n"}},
    {"CountLineTooWide", [] { write_count_line(" Processed: L1", 1000000); }, {" Processed: L1******\r\n"}},
    {"CountLineNegative", [] { write_count_line("n", -99999); }, {"n-99999\r\n"}},
    {"ConsecutiveCallsInOrder",
     [] {
       write_prompt_line("?");
       write_empty_plain_line();
       write_banner_line("B");
     },
     {"?", " \r\n", std::string(17, ' ') + "B\r\n"}},
};

void PrintTo(const StyleCase& c, std::ostream* os) { *os << c.name; }

class ConsoleStyle : public testing::TestWithParam<StyleCase> {};

TEST_P(ConsoleStyle, WritesExactlyTheseBytesOneWritePerLine) {
  EXPECT_EQ(capture_writes(GetParam().call), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Styles, ConsoleStyle, testing::ValuesIn(kStyleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConsoleOutput, LongFormattedLineIsWrittenWholeAsOneLine) {
  std::string text = text_of(300000);
  const auto output = platform::Stream::output;
  EXPECT_EQ(capture_bytes(output, [&] { write_banner_line(text); }), std::string(17, ' ') + text + "\r\n");
  EXPECT_EQ(capture_bytes(output, [&] { write_count_line(text, 42); }), text + "    42\r\n");
}

struct FieldCase {
  int32_t value;
  const char* width4;
  const char* width6;
};

const FieldCase kFieldCases[] = {
    {0, "   0", "     0"},
    {2, "   2", "     2"},
    {-1, "  -1", "    -1"},
    {-15, " -15", "   -15"},
    {9999, "9999", "  9999"},
    {10000, "****", " 10000"},
    {-999, "-999", "  -999"},
    {-1000, "****", " -1000"},
    {999999, "****", "999999"},
    {-99999, "****", "-99999"},
    {-100000, "****", "******"},
    {1000000, "****", "******"},
    {2147483647, "****", "******"},
    {-2147483647 - 1, "****", "******"},
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.value; }

class IntegerField : public testing::TestWithParam<FieldCase> {};

TEST_P(IntegerField, FillsExactlyTheWidth) {
  const FieldCase& c = GetParam();
  for (int width : {4, 6}) {
    char buf[10];
    memset(buf, '#', sizeof buf);
    put_int_field(buf, c.value, width);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(width)), width == 4 ? c.width4 : c.width6)
        << "value " << c.value << " width " << width;
    EXPECT_EQ(buf[width], '#') << "wrote past the field";
  }
}

INSTANTIATE_TEST_SUITE_P(Values, IntegerField, testing::ValuesIn(kFieldCases));

std::string coded(const std::string& text, int32_t code) {
  std::vector<char> rec(text.size() + kRecordRoom);
  memcpy(rec.data(), text.data(), text.size());
  size_t n = finish_coded_record(rec.data(), text.size(), code);
  return std::string(rec.data(), n);
}

TEST(FileRecords, CodedRecordAppendsCodeInFourAndLineEnd) {
  EXPECT_EQ(coded("L1 100 200", 2), "L1 100 200   2\r\n");
  EXPECT_EQ(coded("L1 100 200", 0), "L1 100 200   0\r\n");
  EXPECT_EQ(coded("L1 100 200", -7), "L1 100 200  -7\r\n");
  EXPECT_EQ(coded("x", 12345), "x****\r\n");
  EXPECT_EQ(coded("", 4), "   4\r\n");
  std::string long_text = text_of(1024);
  std::string rec = coded(long_text, 3);
  ASSERT_EQ(rec.size(), 1030u);
  EXPECT_EQ(rec, long_text + "   3\r\n");
}

TEST(FileRecords, TextRecordIsTextAndLineEnd) {
  EXPECT_EQ(text_record(""), "\r\n");
  EXPECT_EQ(text_record("0123456789"), "0123456789\r\n");
  EXPECT_EQ(text_record("trailing  "), "trailing  \r\n");
}

// Status of `f` run with standard output on a pipe nobody reads.
long long status_on_closed_pipe(const std::function<void()>& f) {
  long long status = 0;
  with_output_to_closed_pipe([&] { status = fresh_run_status(f); });
  return status;
}

TEST(ConsoleWriteFailure, RefusedWriteEndsTheRunWith38) {
  EXPECT_EQ(status_on_closed_pipe([] { write_plain_line("lost"); }), failure(38));
  EXPECT_EQ(status_on_closed_pipe([] { write_prompt_line(" Enter: "); }), failure(38));
  EXPECT_EQ(status_on_closed_pipe([] { write_count_line(" Processed: L1", 1); }), failure(38));
}

}  // namespace
