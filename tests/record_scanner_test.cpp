// SPDX-License-Identifier: Apache-2.0
// Data records from the input file: blank lines skipped, separators
// normalised, fields cut, the identifier and the coordinates assigned.
#include "splitting/record_scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/run_ending.h"
#include "tests/test_support.h"
#include "textio/record_files.h"

namespace {

class RecordScanner : public testing::Test {
 protected:
  void SetUp() override {
    prepare_run_for_test();
  }
  void TearDown() override { close_unit(FileUnit::input); }

  // Makes `content` the input and connects it as unit 10.
  void input(const std::string& content) {
    write_file(dir_.file("input"), content);
    open_unit(FileUnit::input, dir_.file("input"), OpenMode::existing);
  }

  // Reads the next record and scans it; the status the run ended with, or -1.
  long long scan_next(const Columns& columns) {
    return run_status([&] {
      ASSERT_TRUE(next_record(&record_));
      scan_record(record_, columns, &id_, &x_, &y_);
    });
  }

  std::string text() const { return record_.text.substr(0, record_.len); }

  TempDir dir_;
  DataRecord record_;
  std::string_view id_;
  double x_ = -1.0, y_ = -2.0;
};

const Columns kStd{1, 2, 3};

TEST_F(RecordScanner, OnlyBlankLinesAreSkipped) {
  const std::string late = std::string(1024, ' ') + "X 1 2";
  input("\n   \n\r\n" + std::string(2000, ' ') + "\n" + late + "\nL1 1 2\n \t \nL2 3 4\n    ");
  // A long line of blanks is blank; one with a field after character 1024 is not.
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), late);
  EXPECT_EQ(id_, "X");
  EXPECT_EQ(y_, 2);
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), "L1 1 2");
  EXPECT_EQ(id_, "L1");
  // A line holding a TAB is a record; all its fields are blank.
  EXPECT_EQ(scan_next(kStd), failure(24));
}

TEST_F(RecordScanner, LineOfCommasIsARecordWithBlankFields) {
  input(",,,\nL1 1 2\n");
  EXPECT_EQ(scan_next(kStd), failure(24));
}

TEST_F(RecordScanner, EndOfInputAfterBlankLines) {
  input("L1 1 2\n\n   \n");
  ASSERT_TRUE(next_record(&record_));
  EXPECT_FALSE(next_record(&record_));
}

TEST_F(RecordScanner, EmptyInputHasNoRecord) {
  input("");
  EXPECT_FALSE(next_record(&record_));
}

TEST_F(RecordScanner, TabsAndCommasBecomeBlanks) {
  input("L1,100.5,200.25\n  L1 \t 100.5 ,, 200.25  \r\nL2\t\t7\t8\t\n");
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), "L1 100.5 200.25");
  EXPECT_EQ(id_, "L1");
  EXPECT_EQ(x_, 100.5);
  EXPECT_EQ(y_, 200.25);

  x_ = y_ = 0;
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), "  L1   100.5    200.25");
  EXPECT_EQ(id_, "L1");
  EXPECT_EQ(x_, 100.5);
  EXPECT_EQ(y_, 200.25);

  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), "L2  7 8");
  EXPECT_EQ(id_, "L2");
  EXPECT_EQ(x_, 7);
  EXPECT_EQ(y_, 8);
}

struct ColumnCase {
  const char* name;
  Columns columns;
  const char* line;
  const char* id;
  double x, y;  // -1 and -2 are the values before the scan
};

const ColumnCase kColumnCases[] = {
    {"Ordinary", {1, 2, 3}, "L1 10 20", "L1", 10, 20},
    {"OtherOrder", {3, 1, 2}, "10 20 L7", "L7", 10, 20},
    {"FieldsAfterLastColumnIgnored", {1, 2, 3}, "L1 10 20 N/A junk", "L1", 10, 20},
    {"FieldsBetweenDropped", {2, 4, 6}, "a L1 b 10 c 20", "L1", 10, 20},
    {"XEqualsLineColKeepsX", {1, 1, 2}, "L1 20", "L1", -1, 20},
    {"YEqualsLineColKeepsY", {2, 1, 2}, "10 L1", "L1", 10, -2},
    {"YEqualsXColKeepsY", {1, 2, 2}, "L1 10", "L1", 10, -2},
    {"AllEqual", {1, 1, 1}, "L1 N/A N/A", "L1", -1, -2},
    {"SlashLeavesCoordinate", {1, 2, 3}, "L1 / 20", "L1", -1, 20},
    {"RepeatCount", {1, 2, 3}, "L1 3*7 1.5D3", "L1", 7, 1500},
    {"MissingIdentifierIsBlank", {3, 1, 2}, "10 20", "", 10, 20},
    {"LeadingSeparators", {1, 2, 3}, " \t,, L1,1,2", "L1", 1, 2},
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }

class ScanColumns : public RecordScanner, public testing::WithParamInterface<ColumnCase> {};

TEST_P(ScanColumns, AssignsFields) {
  const ColumnCase& c = GetParam();
  id_ = {};
  input(std::string(c.line) + "\n");
  ASSERT_EQ(scan_next(c.columns), -1);
  EXPECT_EQ(id_, c.id);
  EXPECT_EQ(x_, c.x);
  EXPECT_EQ(y_, c.y);
}

INSTANTIATE_TEST_SUITE_P(Columns, ScanColumns, testing::ValuesIn(kColumnCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  std::string line;
  int number;
};

const FailureCase kFailureCases[] = {
    {"MissingY", "L1 5\n", 24},
    {"MissingXAndY", "L1\n", 24},
    {"NotANumber", "L1 N/A 5\n", 59},
    {"CrCrLfLeavesCrInLastField", "L1 1 2\r\r\n", 59},
    {"IdentifierTakesWhole1024Characters", std::string(1024, 'A') + "\n", 24},
    {"IdentifierOfMoreThan1024CharactersThenBadCoordinate", std::string(1500, 'A') + " 1 N/A\n", 59},
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ScanFailure : public RecordScanner, public testing::WithParamInterface<FailureCase> {};

TEST_P(ScanFailure, EndsTheRun) {
  input(GetParam().line);
  EXPECT_EQ(scan_next(kStd), failure(GetParam().number));
}

INSTANTIATE_TEST_SUITE_P(Lines, ScanFailure, testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordScanner, IdentifierIsTheWholeField) {
  std::string long_id(100, 'i');
  long_id[79] = 'E';
  long_id[80] = 'X';
  std::string other = long_id.substr(0, 80) + std::string(30, 'o');
  input(long_id + " 1 2\n" + other + " 3 4\n");
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(id_, long_id);
  std::string first{id_};
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(id_, other) << "identifiers differing after character 80 are two identifiers";
  EXPECT_NE(first, id_);
  EXPECT_EQ(x_, 3);
  EXPECT_EQ(y_, 4);
}

TEST_F(RecordScanner, FieldOf1024CharactersFillsIdentifierAndLeavesNoOtherField) {
  input(std::string(1024, 'A') + "\n");
  ASSERT_EQ(scan_next({1, 1, 1}), -1);
  EXPECT_EQ(record_.len, 1024u);
  EXPECT_EQ(id_, std::string(1024, 'A'));
}

TEST_F(RecordScanner, LongLineIsReadWholeAndNextLineFollows) {
  // "12345678" straddles character 1024.
  std::string line = "L1 5 " + std::string(1020 - 5, ' ') + "12345678 9";
  input(line + "\nL2 3 4\n");
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(record_.len, line.size());
  EXPECT_EQ(text(), line);
  EXPECT_EQ(y_, 12345678);
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), "L2 3 4");
}

TEST_F(RecordScanner, FieldBytesOtherThanSeparatorsArriveUnchanged) {
  input(std::string("L\x01\xff\0x 1 2\n", 10));
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(id_, std::string("L\x01\xff\0x", 5));
}

TEST_F(RecordScanner, EveryByteButTabAndCommaArrivesUnchanged) {
  // Every byte value but the line feed, past the coordinates: long enough to
  // be normalised in blocks and in a rest.
  std::string bytes;
  for (int c = 0; c < 256; ++c)
    if (c != '\n') bytes += static_cast<char>(c);
  std::string expected = bytes;
  for (char& c : expected)
    if (c == '\t' || c == ',') c = ' ';
  input("L1 1 2 " + bytes + "\n");
  ASSERT_EQ(scan_next(kStd), -1);
  EXPECT_EQ(text(), "L1 1 2 " + expected);
}

}  // namespace
