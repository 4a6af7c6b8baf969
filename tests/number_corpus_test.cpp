// SPDX-License-Identifier: Apache-2.0
// Correct rounding of decimal strings to binary64, checked against lines of
// the public corpus parse-number-fxx-test-data (tests/data/numbers).
#include <bit>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/run_ending.h"
#include "textio/free_format.h"
#include "textio/number_conversion.h"

namespace {

struct CorpusLine {
  int number;  // line number in its file, from 1
  uint64_t bits;
  std::string text;
};

// Lines of `F16 F32 F64HEX STRING`.
std::vector<CorpusLine> load(const std::string& name) {
  std::vector<CorpusLine> lines;
  std::ifstream in(std::string(TEST_DATA_DIR) + "/numbers/" + name);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::istringstream fields(line);
    std::string f16, f32, f64, text;
    if (!(fields >> f16 >> f32 >> f64 >> text) || f64.size() != 16) {
      ADD_FAILURE() << name << ":" << n << ": malformed line [" << line << "]";
      continue;
    }
    lines.push_back({n, std::stoull(f64, nullptr, 16), text});
  }
  return lines;
}

std::string hex(uint64_t bits) {
  char buf[20];
  snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(bits));
  return buf;
}

const int kShownMismatches = 10;

// Every string, read as an 80-character text into a real, gives exactly the
// expected bits.
void expect_exact_reads(const std::string& name, size_t expected_lines) {
  const std::vector<CorpusLine> lines = load(name);
  ASSERT_EQ(lines.size(), expected_lines) << name;
  int wrong = 0;
  for (const CorpusLine& c : lines) {
    ASSERT_LE(c.text.size(), 80u) << name << ":" << c.number;
    std::string field = c.text;
    field.resize(80, ' ');
    double v = 12345.0;
    Failure f;
    long long status = read_field_value(field, v, &f) ? -1 : failure(f);
    uint64_t got = std::bit_cast<uint64_t>(v);
    if (status == -1 && got == c.bits) continue;
    if (++wrong <= kShownMismatches) {
      ADD_FAILURE() << name << ":" << c.number << " [" << c.text << "] expected " << hex(c.bits)
                    << ", got " << (status == -1 ? hex(got) : "failure, status " + std::to_string(status));
    }
  }
  EXPECT_EQ(wrong, 0) << "wrong reads among " << lines.size() << " lines of " << name;
}

TEST(NumberCorpus, PlainSample) { expect_exact_reads("pnf-plain-sample.txt", 1605); }
TEST(NumberCorpus, LongMantissa) { expect_exact_reads("pnf-long-mantissa.txt", 443); }
TEST(NumberCorpus, Halfway) { expect_exact_reads("pnf-halfway.txt", 37); }
TEST(NumberCorpus, Subnormal) { expect_exact_reads("pnf-subnormal.txt", 61); }

// A value too large for binary64 ends the run with a conversion error.
TEST(NumberCorpus, OverflowFails) {
  const std::vector<CorpusLine> lines = load("pnf-overflow.txt");
  ASSERT_EQ(lines.size(), 259u);
  int wrong = 0;
  for (const CorpusLine& c : lines) {
    ASSERT_LE(c.text.size(), 80u) << "pnf-overflow.txt:" << c.number;
    ASSERT_EQ(c.bits, 0x7FF0000000000000u) << "pnf-overflow.txt:" << c.number;
    std::string field = c.text;
    field.resize(80, ' ');
    double v = 12345.0;
    Failure f;
    long long status = read_field_value(field, v, &f) ? -1 : failure(f);
    if (status == failure(64)) continue;
    if (++wrong <= kShownMismatches) {
      ADD_FAILURE() << "pnf-overflow.txt:" << c.number << " [" << c.text << "] gave status "
                    << status << (status == -1 ? ", value " + hex(std::bit_cast<uint64_t>(v)) : "");
    }
  }
  EXPECT_EQ(wrong, 0) << "reads that did not fail with 64 among " << lines.size() << " lines";
}

// Strings longer than a field: only the converter sees them whole. A value
// too large for binary64 (expected bits of infinity) is a conversion error.
TEST(NumberCorpus, ConverterOnStringsOver80Characters) {
  const std::vector<CorpusLine> lines = load("pnf-over-80-chars.txt");
  ASSERT_EQ(lines.size(), 22u);
  int wrong = 0;
  for (const CorpusLine& c : lines) {
    ASSERT_GT(c.text.size(), 80u) << "pnf-over-80-chars.txt:" << c.number;
    ASSERT_TRUE(numeric_token_valid(c.text)) << "pnf-over-80-chars.txt:" << c.number;
    double v = 12345.0;
    bool ok = convert_real(c.text, &v);
    uint64_t got = std::bit_cast<uint64_t>(v);
    if (c.bits == 0x7FF0000000000000u ? !ok : ok && got == c.bits) continue;
    if (++wrong <= kShownMismatches) {
      ADD_FAILURE() << "pnf-over-80-chars.txt:" << c.number << " [" << c.text.substr(0, 40)
                    << "...] expected " << hex(c.bits) << ", got "
                    << (ok ? hex(got) : "conversion error");
    }
  }
  EXPECT_EQ(wrong, 0) << "wrong conversions among " << lines.size() << " lines";
}

}  // namespace
