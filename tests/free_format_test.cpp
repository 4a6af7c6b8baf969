// SPDX-License-Identifier: Apache-2.0
// The free-format reader: one value from a text (an argument or a data
// field) or from standard input, by token class and target kind.
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "tests/run_ending.h"
#include "tests/unit_support.h"
#include "textio/free_format.h"
#include "textio/unit_table.h"

using namespace std::string_literals;

namespace {

const long long kOk = -1;
const long long kSyntax = failure(59);
const long long kConversion = failure(64);
const long long kEnd = failure(24);
const long long kRefused = failure(39);

const int32_t kIntSentinel = -55555;  // what a null value must leave in place
const double kRealSentinel = -123.25;
const char kTextSentinel[] = "SENTINEL";

std::string shown(const std::string& s) {
  return s.size() > 60 ? s.substr(0, 20) + "...(" + std::to_string(s.size()) + " bytes)" : s;
}

class FreeFormat : public ::testing::Test {
 protected:
  void SetUp() override { prepare_run_for_test(); }
  void TearDown() override {
    input_.reset();
    prepare_run_for_test();
  }
  // Starts a fresh run whose standard input holds these bytes (or, with
  // `refused`, is open for writing only: every read is refused).
  void console(const std::string& bytes, bool refused = false) {
    input_.reset();
    prepare_run_for_test();
    input_ = std::make_unique<ScratchFile>(bytes, refused);
    unit_table().console_in.handle = input_->handle();
  }
  // Runs each case through a console read into a text target.
  template <typename Case, size_t N>
  void expect_text_reads(const Case (&cases)[N], void (*read)(std::string*)) {
    for (const Case& c : cases) {
      SCOPED_TRACE("console [" + shown(c.in) + "]");
      console(c.in);
      std::string v = kTextSentinel;
      const long long status = run_status([&] { read(&v); });
      EXPECT_EQ(status, c.status);
      if (status == kOk && c.status == kOk) {
        EXPECT_EQ(v, c.value);
      }
    }
  }
  // A field's failure comes back to its reader instead of ending the run.
  long long real_from_text(const std::string& in, double& v) {
    Failure f;
    return read_field_value(in, &v, &f) ? kOk : failure(f);
  }
  std::unique_ptr<ScratchFile> input_;
};

struct IntCase {
  std::string in;
  long long status;
  int32_t value = 0;  // checked when status is kOk
};

// Integer target; the same answers whether the value is a text or a line
// typed at the console.
const IntCase kIntegerCases[] = {
    // plain integers and their range
    {"12", kOk, 12}, {"+12", kOk, 12}, {"0012", kOk, 12}, {"-0012", kOk, -12},
    {"-0", kOk, 0}, {"   7", kOk, 7}, {"\t7", kOk, 7}, {"7 8", kOk, 7}, {"12   ", kOk, 12},
    {"2147483647", kOk, 2147483647}, {"-2147483648", kOk, INT32_MIN},
    {"2147483648", kConversion}, {"-2147483649", kConversion},
    {"99999999999999999999999", kConversion},
    {"5-3", kConversion}, {"1-2e3", kConversion}, {"1e2.5", kConversion},
    {"1+2+3", kConversion},
    // reals truncated toward zero, within the integer range
    {"3.0", kOk, 3}, {"3.9", kOk, 3}, {"-3.9", kOk, -3}, {"3e2", kOk, 300},
    {"5.e3", kOk, 5000}, {".5", kOk, 0}, {"2147483647.9", kOk, 2147483647},
    {"-2147483648.9", kOk, INT32_MIN}, {"1e10", kConversion}, {"3e9", kConversion},
    {"-3e9", kConversion}, {"2147483648.0", kConversion}, {"1e309", kConversion},
    // truth words
    {"T", kOk, -1}, {"true", kOk, -1}, {".t.", kOk, -1}, {".TRUE.", kOk, -1},
    {"Total", kOk, -1}, {"F", kOk, 0}, {"false", kOk, 0}, {"f,3", kOk, 0},
    // null values and slash leave the target alone
    {",", kOk, kIntSentinel}, {"  ,5", kOk, kIntSentinel}, {"/", kOk, kIntSentinel},
    {"/5", kOk, kIntSentinel}, {"3*", kOk, kIntSentinel}, {"3* 5", kOk, kIntSentinel},
    {"3*,5", kOk, kIntSentinel},
    // repeat counts
    {"3*7", kOk, 7}, {"0*5", kOk, 5}, {"-2*7", kOk, 7}, {"2*-4", kOk, -4},
    {"*7", kSyntax}, {"1.5*3", kConversion}, {"3*x", kSyntax},
    // parentheses
    {"(5,3)", kOk, 5}, {"( 5 )", kOk, 5}, {")", kSyntax}, {")5", kSyntax},
    {"(,5)", kOk, 5}, {"( , 5)", kOk, 5}, {"(,,5)", kOk, kIntSentinel}, {"(,(,5)", kOk, kIntSentinel},
    // token syntax
    {"12abc", kSyntax}, {"abc", kSyntax}, {"N/A", kSyntax}, {"--5", kSyntax},
    {"+-1", kSyntax}, {"+", kSyntax}, {"-", kSyntax}, {".", kSyntax},
    {"12-", kSyntax}, {"1:2", kSyntax},
    // a quoted value for a number
    {"'12'", kConversion}, {"\"12\"", kConversion},
};

// Reads each case's text into an integer target, as a run of its own.
void expect_integers_from_text(std::span<const IntCase> cases) {
  for (const IntCase& c : cases) {
    SCOPED_TRACE("text [" + c.in + "]");
    int32_t v = kIntSentinel;
    const long long status = fresh_run_status([&] { read_text_value(c.in, &v); });
    EXPECT_EQ(status, c.status);
    if (status == kOk && c.status == kOk) {
      EXPECT_EQ(v, c.value);
    }
  }
}

TEST_F(FreeFormat, IntegerFromText) { expect_integers_from_text(kIntegerCases); }

TEST_F(FreeFormat, IntegerFromConsole) {
  for (const IntCase& c : kIntegerCases) {
    SCOPED_TRACE("console line [" + c.in + "]");
    console(c.in + "\n");
    int32_t v = kIntSentinel;
    const long long status = run_status([&] { read_console_value(&v); });
    EXPECT_EQ(status, c.status);
    if (status == kOk && c.status == kOk) {
      EXPECT_EQ(v, c.value);
    }
  }
}

// Cases where a text differs from a console line: it is a single record,
// read whole however long, in which a carriage return is an ordinary
// character.
TEST_F(FreeFormat, IntegerFromTextOnly) {
  const IntCase cases[] = {
      {"", kEnd},          {"\t\n \n", kEnd},      {"\n7", kOk, 7},
      {"\r7", kSyntax},    {"12\r", kSyntax},      {"'12", kSyntax},
      {"'1\n2'", kSyntax}, {"'1\0'"s, kSyntax},    {"'1'''", kConversion},
      {std::string(79, ' ') + "9", kOk, 9}, {std::string(78, ' ') + "'1'", kConversion},
  };
  expect_integers_from_text(cases);
}

struct RealCase {
  std::string in;
  long long status;
  double value = 0;  // compared bit for bit, so the sign of a zero counts
};

TEST_F(FreeFormat, RealFromText) {
  const RealCase cases[] = {
      // the accepted forms and the exponent letters
      {"1500", kOk, 1500}, {"1.5e3", kOk, 1500}, {"1.5E+03", kOk, 1500},
      {"1.5D3", kOk, 1500}, {"1.5d3", kOk, 1500}, {"1.5q3", kOk, 1500},
      {"1.5Q+3", kOk, 1500}, {"15e2", kOk, 1500}, {"15000E-1", kOk, 1500},
      {"1.5-3", kOk, 0.0015}, {"1.5+3", kOk, 1500}, {"1+2", kOk, 100},
      {"1e", kOk, 1}, {"2.5D", kOk, 2.5}, {".5", kOk, 0.5}, {"+.5", kOk, 0.5},
      {"-.5", kOk, -0.5}, {"5.", kOk, 5}, {"5.e3", kOk, 5000}, {"-0", kOk, -0.0},
      {"0", kOk, 0.0}, {"-0.0e5", kOk, -0.0}, {"0.1", kOk, 0.1}, {"2.5", kOk, 2.5},
      {"-17.25", kOk, -17.25}, {"1.5 9", kOk, 1.5}, {"1.5,9", kOk, 1.5},
      {"1.5/9", kOk, 1.5}, {"3*2.5", kOk, 2.5},
      // leading zeros are not significant digits
      {"0000000000000000000000000001e3", kOk, 1000}, {"1e0000000000308", kOk, 1e308},
      {"1e-0000000001", kOk, 0.1},
      // range
      {"1e309", kConversion}, {"-1e309", kConversion}, {"1e1000000", kConversion},
      {"0.001e310", kOk, 1e307}, {"1.7976931348623157e308", kOk, 1.7976931348623157e308},
      {"1.7976931348623159e308", kConversion}, {"1e-400", kOk, 0.0},
      {"-1e-400", kOk, -0.0}, {"1e-1000000", kOk, 0.0}, {"0e1000000", kOk, 0.0},
      {"0.0e99999999999", kOk, 0.0}, {"4.9406564584124654e-324", kOk, 4.9406564584124654e-324},
      {"2.2250738585072011e-308", kOk, 2.2250738585072011e-308}, {"2e-324", kOk, 0.0},
      {"3e-324", kOk, 4.9406564584124654e-324},
      // conversions of tokens that pass the syntax rules
      {"1-2e3", kConversion}, {"1e2.5", kConversion}, {"1+2+3", kConversion},
      // syntax of numeric tokens
      {"+-1", kSyntax}, {"--5", kSyntax}, {"1.2.3", kSyntax}, {".e5", kSyntax},
      {"+e5", kSyntax}, {"e5", kSyntax}, {"1e5e3", kSyntax}, {"1e5d3", kSyntax},
      {"1e+", kSyntax}, {"1e-", kSyntax}, {"12-", kSyntax}, {".", kSyntax},
      {"-.", kSyntax}, {"+", kSyntax}, {"-", kSyntax}, {"INF", kSyntax},
      {"inf", kSyntax}, {"NaN", kSyntax}, {"nan", kSyntax}, {"12abc", kSyntax},
      {"N/A", kSyntax}, {"0x10", kSyntax}, {"1,x", kOk, 1}, {"12.5\r", kSyntax},
      {"12.5\r 3", kSyntax}, {"1\"", kSyntax},
      // parentheses, quotes, truth words, null values
      {"(1.5", kSyntax}, {"(5,3)", kSyntax}, {")", kSyntax}, {"'1.5'", kConversion},
      {"'1.5", kSyntax}, {"T", kOk, -1.0}, {".true.", kOk, -1.0}, {"F", kOk, 0.0},
      {"f", kOk, 0.0}, {"/", kOk, kRealSentinel}, {",", kOk, kRealSentinel},
      {"2*", kOk, kRealSentinel}, {"", kEnd}, {"2.5   ", kOk, 2.5},
      // fields are read whole, however long: an exponent after 80 digits
      // counts, and so does every digit for the rounding (2^53 + 1 is a
      // tie; the digit 1 far behind it rounds it up)
      {"1.5" + std::string(78, '0') + "E+03", kOk, 1500},
      {"9007199254740993." + std::string(80, '0') + "1", kOk, 9007199254740994.0},
      {"9007199254740993." + std::string(80, '0'), kOk, 9007199254740992.0},
  };
  for (const RealCase& c : cases) {
    SCOPED_TRACE("text [" + c.in + "]");
    double v = kRealSentinel;
    const long long status = real_from_text(c.in, v);
    EXPECT_EQ(status, c.status);
    if (status == kOk && c.status == kOk) {
      EXPECT_EQ(hex(std::bit_cast<uint64_t>(v)), hex(std::bit_cast<uint64_t>(c.value))) << v;
    }
  }
  double v = kRealSentinel;
  ASSERT_EQ(real_from_text("-0", v), kOk);
  EXPECT_TRUE(std::signbit(v));
  ASSERT_EQ(real_from_text("0.1", v), kOk);
  EXPECT_EQ(hex(std::bit_cast<uint64_t>(v)), "3FB999999999999A");
}

struct TextCase {
  std::string in;  // bytes of standard input
  long long status;
  std::string value = kTextSentinel;
};

// Text target at the console: a file name typed at a prompt.
TEST_F(FreeFormat, TextFromConsole) {
  const std::string x100(100, 'x'), x2049(2049, 'x');
  const TextCase cases[] = {
      {"data.xyz\n", kOk, "data.xyz"}, {"data.xyz", kOk, "data.xyz"},
      {"\n  \n\t\n data.xyz\r\n", kOk, "data.xyz"}, {"my file.txt\n", kOk, "my"},
      {"'my file.txt'\n", kOk, "my file.txt"}, {"\"my file.txt\"\n", kOk, "my file.txt"},
      {"dir/x.xyz\n", kOk, "dir/x.xyz"}, {"C:\\survey\\x.xyz\n", kOk, "C:\\survey\\x.xyz"},
      // a slash is part of a name, also at its start; blanks, TABs and
      // commas still end it, and after a repeat count a slash ends the read
      {"sub/in.xyz\n", kOk, "sub/in.xyz"}, {"../data/in.xyz\n", kOk, "../data/in.xyz"},
      {"  /home/me/in.xyz\n", kOk, "/home/me/in.xyz"}, {"a/b c/d\n", kOk, "a/b"},
      {"a/b,c\n", kOk, "a/b"}, {"'a/b c'\n", kOk, "a/b c"}, {"2*/x\n", kOk},
      {"a,b\n", kOk, "a"}, {"a\tb\n", kOk, "a"}, {"a\rb\n", kOk, "a\rb"},
      {"ab\0cd\n"s, kOk, "ab"}, {"'it''s'\n", kOk, "it's"}, {"\"it's\"\n", kOk, "it's"},
      {"'say \"hi\"'\n", kOk, "say \"hi\""}, {"'a,b/c'\n", kOk, "a,b/c"}, {"''\n", kOk, ""},
      {"'x'\n", kOk, "x"}, {"'my fi\nle.txt' rest\n", kOk, "my file.txt"},
      {"'open\n", kEnd}, {"'open", kEnd}, {"'open\n\x1a\nmore'\n", kEnd},
      // truth letters and parentheses are ordinary characters here
      {"T\n", kOk, "T"}, {".true.\n", kOk, ".true."}, {"(a,b)\n", kOk, "(a"},
      {")x\n", kOk, ")x"}, {"5\n", kOk, "5"}, {"5*\n", kOk},
      {"2*'a.xyz'\n", kOk, "a.xyz"}, {"2*a.xyz\n", kSyntax}, {"2*\n", kOk},
      {",\n", kOk}, {" , name\n", kOk}, {", /name\n", kOk}, {"/\n", kOk, "/"}, {"/name\n", kOk, "/name"},
      // lengths: whole, at most 2049 characters in a value
      {x100 + "\n", kOk, x100},
      {x2049 + "\n", kOk, x2049},
      {std::string(2050, 'x') + "\n", kSyntax},
      {"'" + x2049 + "'\n", kOk, x2049},
      {"'" + std::string(2050, 'x') + "'\n", kSyntax},
      {"'" + std::string(2047, 'x') + "''x'\n", kOk, std::string(2047, 'x') + "'x"},  // 2049 after the pair
      // the end of the input
      {"", kEnd}, {"\n \n\t\n", kEnd}, {"\x1a\nname\n", kEnd}, {"\x1a\r\nname\n", kEnd},
      {"\x1a", kEnd}, {"\x1a\x1a\n", kOk, "\x1a\x1a"},
  };
  expect_text_reads(cases, read_console_value);
}

TEST_F(FreeFormat, ConsoleLineRead) {
  const std::string row = "abcdefghij";
  std::string r100;
  for (int i = 0; i < 10; ++i) r100 += row;
  const TextCase cases[] = {
      {"\n", kOk, ""},
      {"list.txt\n", kOk, "list.txt"},
      {"list.txt", kOk, "list.txt"},
      {"list.txt\r\n", kOk, "list.txt"},
      {"  a, b/ 'c' \"d\"\tx,\n", kOk, "  a, b/ 'c' \"d\"\tx,"},
      {"/\n", kOk, "/"},
      {"a\rb\n", kOk, "a\rb"},
      {r100 + "\n", kOk, r100},
      {std::string(5000, 'l') + "\n", kOk, std::string(5000, 'l')},
      {"\nsecond\n", kOk, ""},
      {"", kEnd},
      {"\x1a\nname\n", kEnd},
  };
  expect_text_reads(cases, read_console_line);
}

// Every console read starts on a new line and drops the rest of the last
// line it used.
TEST_F(FreeFormat, ConsoleReadsStartOnTheNextLine) {
  int32_t n = kIntSentinel;
  std::string t = kTextSentinel;
  auto read_int = [&] { return run_status([&] { read_console_value(&n); }); };
  auto read_text = [&] { return run_status([&] { read_console_value(&t); }); };
  auto read_line = [&] { return run_status([&] { read_console_line(&t); }); };

  for (const char* first : {"5 6\n7\n", "5,6\n7\n", "5\r\n7\r\n", "\n\n  5\n7", "(5,6)\n7\n"}) {
    SCOPED_TRACE("console [" + std::string(first) + "]");
    console(first);
    ASSERT_EQ(read_int(), kOk);
    EXPECT_EQ(n, 5);
    ASSERT_EQ(read_int(), kOk);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(read_int(), kEnd);
  }

  console("/ 9\n, 8\n3* 4\n6\n");
  n = kIntSentinel;
  ASSERT_EQ(read_int(), kOk);
  ASSERT_EQ(read_int(), kOk);
  ASSERT_EQ(read_int(), kOk);
  EXPECT_EQ(n, kIntSentinel);
  ASSERT_EQ(read_int(), kOk);
  EXPECT_EQ(n, 6);

  console("in file.xyz\nlist file.txt\n 12 \n");
  ASSERT_EQ(read_text(), kOk);
  EXPECT_EQ(t, "in");
  ASSERT_EQ(read_line(), kOk);
  EXPECT_EQ(t, "list file.txt");
  ASSERT_EQ(read_int(), kOk);
  EXPECT_EQ(n, 12);
  EXPECT_EQ(read_line(), kEnd);

  console("'ab\ncd' 3\n4\n");
  ASSERT_EQ(read_text(), kOk);
  EXPECT_EQ(t, "abcd");
  ASSERT_EQ(read_int(), kOk);
  EXPECT_EQ(n, 4);

  console("\n\nx\n");  // a line read takes the next line, even an empty one
  ASSERT_EQ(read_line(), kOk);
  EXPECT_EQ(t, "");
  ASSERT_EQ(read_text(), kOk);
  EXPECT_EQ(t, "x");

  console("5\n\x1a\n6\n");
  ASSERT_EQ(read_int(), kOk);
  EXPECT_EQ(read_int(), kEnd);
}

// Standard input that the platform refuses to read (open for writing only).
TEST_F(FreeFormat, RefusedConsoleRead) {
  int32_t n = kIntSentinel;
  std::string t = kTextSentinel;
  for (int op = 0; op < 3; ++op) {
    SCOPED_TRACE("operation " + std::to_string(op));
    console("5\n", true);
    EXPECT_EQ(run_status([&] {
                if (op == 0) read_console_value(&n);
                if (op == 1) read_console_value(&t);
                if (op == 2) read_console_line(&t);
              }),
              kRefused);
  }
  EXPECT_EQ(n, kIntSentinel);
}

}  // namespace
