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
#include "tests/test_support.h"
#include "textio/free_format.h"

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

const int kShownMismatches = 10;
const uint64_t kInfinity = 0x7FF0000000000000u;

// Every string, read as a data field (whole, however long), gives exactly
// the expected bits; one too large for binary64, whose expected bits are
// those of infinity, fails with a conversion error.
void expect_exact_reads(const std::string& name, size_t expected_lines) {
  const std::vector<CorpusLine> lines = load(name);
  ASSERT_EQ(lines.size(), expected_lines) << name;
  int wrong = 0;
  for (const CorpusLine& c : lines) {
    double v = 12345.0;
    Failure f;
    long long status = read_field_value(c.text, &v, &f) ? -1 : failure(f);
    uint64_t got = std::bit_cast<uint64_t>(v);
    if (c.bits == kInfinity ? status == failure(64) : status == -1 && got == c.bits) continue;
    if (++wrong <= kShownMismatches) {
      ADD_FAILURE() << name << ":" << c.number << " [" << c.text.substr(0, 60) << "] expected "
                    << (c.bits == kInfinity ? "failure 64" : hex(c.bits)) << ", got "
                    << (status == -1 ? hex(got) : "failure, status " + std::to_string(status));
    }
  }
  EXPECT_EQ(wrong, 0) << "wrong reads among " << lines.size() << " lines of " << name;
}

TEST(NumberCorpus, PlainSample) { expect_exact_reads("pnf-plain-sample.txt", 1605); }
TEST(NumberCorpus, LongMantissa) { expect_exact_reads("pnf-long-mantissa.txt", 443); }
TEST(NumberCorpus, Halfway) { expect_exact_reads("pnf-halfway.txt", 37); }
TEST(NumberCorpus, Subnormal) { expect_exact_reads("pnf-subnormal.txt", 61); }
TEST(NumberCorpus, OverflowFails) { expect_exact_reads("pnf-overflow.txt", 259); }
TEST(NumberCorpus, StringsOver80Characters) { expect_exact_reads("pnf-over-80-chars.txt", 22); }

}  // namespace
