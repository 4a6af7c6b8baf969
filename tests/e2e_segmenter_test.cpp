// SPDX-License-Identifier: Apache-2.0
// End-to-end: the line segmenter's output files and console lines, byte for
// byte, for the grouping of records into segments, direction codes, blank and
// long identifiers, line ends and the safety of line file names.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include "tests/fifo_reader.h"
#endif
#include "tests/e2e_support.h"

namespace {

std::string txt(const std::string& text) { return text + "\r\n"; }
const std::string kNa = report(59, "list-directed I/O syntax error, unit -5, file Internal List-Directed Read");

// The line after the report line of a field that cannot be read, for a line
// of the input in.xyz ("@": the directory), and the table right after it.
std::string place(const std::string& where) {
  return "segmentor: " + native("@/in.xyz") + ":" + where + "\r\nImage ";
}

std::string replace_at(std::string s, const std::string& dir) {
  for (size_t p; (p = s.find('@')) != std::string::npos;) s.replace(p, 1, dir);
  return s;
}

struct SegCase {
  std::string name;
  std::string input;
  std::vector<std::string> params;  // nHead LineCol XCol YCol lstfil
  Files files = {};                 // every output file afterwards
  std::string console = "";         // after the announcement
  int status = 0;
  std::string err = "";             // start of standard error ("@": the directory)
  Files before = {};                // files present before the run
};
void PrintTo(const SegCase& c, std::ostream* os) { *os << c.name; }

const std::vector<std::string> kPlain{"0", "1", "2", "3", " "};
const std::vector<std::string> kHead1{"1", "1", "2", "3", " "};
const std::vector<std::string> kHead1List{"1", "1", "2", "3", "list.lst"};

// The arguments of a run on in.xyz with these parameters.
std::vector<std::string> on_input(const std::vector<std::string>& params) {
  std::vector<std::string> args{"in.xyz"};
  args.insert(args.end(), params.begin(), params.end());
  return args;
}

// A walk whose steps exercise every direction rule and tie; each record is
// written with the code of the step to the next one, the last repeats it.
SegCase directions() {
  struct Step { int dx, dy, code; };
  const Step steps[] = {{5, -5, 4}, {0, 0, 4},  {-3, 1, 3}, {10, 0, 1}, {0, 10, 2}, {5, 5, 2},  {-5, 5, 2},
                        {-5, -5, 4}, {0, -1, 4}, {-2, 1, 3}, {2, -1, 1}, {1, -2, 4}, {-1, 2, 2}, {-7, 0, 3}};
  SegCase c{"DirectionRulesAndTies", "", kPlain, {}, complete(1)};
  int x = 0, y = 0;
  std::string& out = c.files["L1.dat"];
  for (const Step& s : steps) {
    std::string line = "L1 " + std::to_string(x) + " " + std::to_string(y);
    c.input += line + "\n";
    out += rec(line, s.code);
    x += s.dx;
    y += s.dy;
  }
  std::string last = "L1 " + std::to_string(x) + " " + std::to_string(y);
  c.input += last + "\n";
  out += rec(last, 3);
  return c;
}

// A record of line `id` whose 40th field, Y, comes at the end of `width`
// characters; X is the second field and 37 more fill the room between.
std::string wide_record(const std::string& id, const std::string& x, const std::string& y, size_t width) {
  std::string head = id + " " + x, tail = " " + y;
  size_t room = width - head.size() - tail.size(), each = room / 37;
  std::string r = head;
  for (int i = 0; i < 37; ++i) r += " " + std::string(each - 1 + (i == 0 ? room % 37 : 0), 'f');
  return r + tail;
}

// Lines, fields and header lines longer than the old limits of 1024 and 80
// characters are used whole. The last X has its exponent beyond character
// 80: cut there, it would be 1.5, and the last step would go along +Y.
SegCase whole_long_lines() {
  const std::string header = "HEAD " + std::string(1995, 'h');
  const std::string r1 = wide_record("L1", "0", "0", 1500), r2 = wide_record("L1", "0", "5", 5000);
  const std::string r3 = std::string(1030, ' ') + wide_record("L1", "0", "9", 1100);
  const std::string r4 = wide_record("L1", "1.5" + std::string(78, '0') + "E+03", "109", 1200);
  const std::string out = txt(header) + rec(r1, 2) + rec(r2, 2) + rec(r3, 1) + rec(r4, 1);
  return {"LongLinesFieldsAndHeadersAreWhole",
          header + "\n" + r1 + "\n" + std::string(2000, ' ') + "\n" + r2 + "\r\n" + r3 + "\n" + r4 + "\n",
          {"1", "1", "2", "40", "list.lst"},
          {{"L1.dat", out}, {"list.lst", out}},
          complete(1)};
}

std::vector<SegCase> cases() {
  const std::string a80(80, 'A');
  const std::string long1 = "L1 0 0 " + std::string(20000, 'x');
  const std::string long2 = "L1 0 1" + std::string(1018, ' ') + "tail beyond character 1024";
  const std::string l1l1 = rec("L1 0 0", 2) + rec("L1 0 1", 2);
  const std::string old_lines = [] {
    std::string s;
    for (int i = 0; i < 30; ++i) s += "old content of an earlier run, line " + std::to_string(i) + "\r\n";
    return s;
  }();
  const std::string ctrl_z = "\x1a";
  std::vector<SegCase> v = {
      // Columns far beyond the record: every field there is blank.
      {"LineColumnAtTheLargestNumber", "L1 1 2\nL1 2 3\n", {"0", "2147483647", "2", "3", " "}, {},
       complete(0)},
      {"WorkedExample", "LINE X Y\nL1 100 200\nL1 110 200\nL1 110 215\nL2 0 0\nL2 0 -5\n", kHead1,
       {{"L1.dat", txt("LINE X Y") + rec("L1 100 200", 1) + rec("L1 110 200", 2) + rec("L1 110 215", 2)},
        {"L2.dat", txt("LINE X Y") + rec("L2 0 0", 4) + rec("L2 0 -5", 4)}},
       count_line("L1", 2) + complete(2)},
      {"ListFileHeadersOnceEveryRecord", "Survey 2005  \n\nX,Y\tZ \nL1 100 200\nL1 110 200\nL2 0 0\n",
       {"3", "1", "2", "3", "list.lst"},
       {{"L1.dat", txt("Survey 2005") + txt("") + txt("X,Y\tZ") + rec("L1 100 200", 1) + rec("L1 110 200", 1)},
        {"L2.dat", txt("Survey 2005") + txt("") + txt("X,Y\tZ") + rec("L2 0 0", 1)},
        {"list.lst", txt("Survey 2005") + txt("") + txt("X,Y\tZ") + rec("L1 100 200", 1) + rec("L1 110 200", 1) +
                         rec("L2 0 0", 1)}},
       count_line("L1", 1) + complete(2)},
      {"SeparatorsBecomeBlanks",
       "L1,100.5,200.25\n   \n\n  L1 \t 100.5 ,, 200.25  \nL1\t100.5,,200.25,extra\t,tail  \n", kPlain,
       {{"L1.dat", rec("L1 100.5 200.25", 4) + rec("  L1   100.5    200.25", 4) +
                       rec("L1 100.5  200.25 extra  tail", 4)}},
       complete(1)},
      // Words read as truth values: T... is -1, F... is 0, with no failure.
      {"WordsInCoordinateColumnsAreTruthValues", "L1 Total 5\nL1 False 5\nL1 Fix 5\n", kPlain,
       {{"L1.dat", rec("L1 Total 5", 1) + rec("L1 False 5", 4) + rec("L1 Fix 5", 4)}}, complete(1)},
      // An empty field is no field: X is read from 200 and Y from 5.
      {"EmptyCsvFieldShiftsTheColumns", "A,,100,200,5\nA,,110,200,5\n", {"0", "1", "3", "4", " "},
       {{"A.dat", rec("A  100 200 5", 4) + rec("A  110 200 5", 4)}}, complete(1)},
      directions(),
      {"OneRecordSegmentsFirstAndLater", "A 0 0\nB 0 0\nB 5 0\nC 9 9\nD 1 1\nD 1 0\n", kPlain,
       {{"A.dat", rec("A 0 0", 0)},
        {"B.dat", rec("B 0 0", 1) + rec("B 5 0", 1)},
        {"C.dat", rec("C 9 9", 1)},
        {"D.dat", rec("D 1 1", 4) + rec("D 1 0", 4)}},
       count_line("B", 1) + complete(4)},
      // The identifier column lies beyond the fields of the first record: the
      // step from the start values (-1E32, -1E32) to (0, -1) is a tie -> 2.
      {"BlankIdentifiersBeforeFirstNamed", "HDR\n0 -1\n5 6 L1\n5 9 L1\n", {"1", "3", "1", "2", "list.lst"},
       {{"L1.dat", txt("HDR") + rec("5 6 L1", 2) + rec("5 9 L1", 2)},
        {"list.lst", txt("HDR") + rec("0 -1", 2) + rec("5 6 L1", 2) + rec("5 9 L1", 2)}},
       count_line("", 1) + complete(1)},
      {"TwoBlankIdentifierRecordsFirst", "4 0\n0 0\n3 3\n1 1 L1\n", {"0", "3", "1", "2", "list.lst"},
       {{"L1.dat", rec("1 1 L1", 2)}, {"list.lst", rec("4 0", 3) + rec("0 0", 2) + rec("3 3", 2) + rec("1 1 L1", 2)}},
       count_line("", 3) + complete(1)},
      {"BlankIdentifierAfterNamedSegment", "1 1 L1\n2 1 L1\n3 3\n3 5\n", {"0", "3", "1", "2", " "},
       {{"L1.dat", rec("1 1 L1", 1) + rec("2 1 L1", 1)}, {".dat", rec("3 3", 2) + rec("3 5", 2)}},
       count_line("L1", 1) + complete(2)},
      {"IdentifiersDifferingInCase", "L1 0 0\nL1 0 1\nl1 0 2\n", kPlain,
#ifdef _WIN32
       // one file on a file system that ignores letter case: appended to
       {{"L1.dat", l1l1 + rec("l1 0 2", 2)}},
#else
       {{"L1.dat", l1l1}, {"l1.dat", rec("l1 0 2", 2)}},
#endif
       count_line("L1", 1) + complete(2)},
      // Identifiers differing after character 80 are different lines.
      {"IdentifiersOf80AndMoreCharacters",
       a80 + " 0 0\n" + a80 + " 0 1\n" + a80 + "X 0 1\n" + a80 + "YZ 0 2\nB 0 0\n", kPlain,
       {{a80 + ".dat", rec(a80 + " 0 0", 2) + rec(a80 + " 0 1", 2)},
        {a80 + "X.dat", rec(a80 + "X 0 1", 2)},
        {a80 + "YZ.dat", rec(a80 + "YZ 0 2", 2)},
        {"B.dat", rec("B 0 0", 2)}},
       count_line(a80, 1) + complete(4)},
      {"RecordsLongerThan1024AreWhole", long1 + "\n" + long2 + "\nL1 0 2\n", kPlain,
       {{"L1.dat", rec(long1, 2) + rec(long2, 2) + rec("L1 0 2", 2)}}, complete(1)},
      whole_long_lines(),
      {"EndsCrLf", "L1 0 0\r\nL1 0 1\r\n", kPlain, {{"L1.dat", l1l1}}, complete(1)},
      {"EndsLf", "L1 0 0\nL1 0 1\n", kPlain, {{"L1.dat", l1l1}}, complete(1)},
      {"EndsMissingFinalTerminator", "L1 0 0\r\nL1 0 1", kPlain, {{"L1.dat", l1l1}}, complete(1)},
      // A file of lines ended by CR alone is one line; its final CR, before
      // the line end supplied at the end of the file, is dropped.
      {"EndsLoneCrIsOneLine", "L1 0 0 \rL1 0 1 \r", kPlain, {{"L1.dat", rec("L1 0 0 \rL1 0 1", 0)}}, complete(1)},
      {"EndsCrCrLfKeepsOneCr", "L1 0 0 a\r\r\nL1 0 1 b\r\r\n", kPlain,
       {{"L1.dat", rec("L1 0 0 a\r", 2) + rec("L1 0 1 b\r", 2)}}, complete(1)},
      {"EndsCrCrLfAfterCoordinate", "L1 0 0\r\nL1 0 1\r\r\n", kPlain, {{"L1.dat", ""}}, "", 59,
       kNa + place("2: column 3: \"1\\x0D\"")},
      {"CtrlZLineEndsInput", "L1 0 0\nL1 0 1\n" + ctrl_z + "\nL1 9 9\n", kPlain, {{"L1.dat", l1l1}}, complete(1)},
      {"CtrlZCrLfLineEndsInput", "L1 0 0\nL1 0 1\n" + ctrl_z + "\r\nL1 9 9\n", kPlain, {{"L1.dat", l1l1}},
       complete(1)},
      {"CtrlZLastLineEndsInput", "L1 0 0\nL1 0 1\n" + ctrl_z, kPlain, {{"L1.dat", l1l1}}, complete(1)},
      {"CtrlZInsideRecordIsContent", "L1 0 0\nL1 0 1 " + ctrl_z + "\n", kPlain,
       {{"L1.dat", rec("L1 0 0", 2) + rec("L1 0 1 " + ctrl_z, 2)}}, complete(1)},
      {"EmptyInputWithListFile", "", {"0", "1", "2", "3", "list.lst"}, {{"list.lst", ""}}, complete(0)},
      {"EmptyInput", "", kPlain, {}, complete(0)},
      {"InputShorterThanHeaders", "H1\nH2\n", {"3", "1", "2", "3", "list.lst"}, {}, complete(0)},
      {"CtrlZWithinHeaders", "H1\n" + ctrl_z + "\nL1 0 0\n", {"2", "1", "2", "3", "list.lst"}, {}, complete(0)},
      {"ExactlyTheHeaders", "H1\nH2\n", {"2", "1", "2", "3", "list.lst"}, {{"list.lst", "H1\r\nH2\r\n"}},
       complete(0)},
      {"HeadersThenBlankLines", "H1\nH2\n\n   \n", {"2", "1", "2", "3", "list.lst"},
       {{"list.lst", "H1\r\nH2\r\n"}}, complete(0)},
      {"RepeatedIdentifierAppends", "HDR\nL1 0 0\nL1 1 0\nL2 5 5\nL1 7 7\nL1 7 9\n", kHead1,
       {{"L1.dat", txt("HDR") + rec("L1 0 0", 1) + rec("L1 1 0", 1) + rec("L1 7 7", 2) + rec("L1 7 9", 2)},
        {"L2.dat", txt("HDR") + rec("L2 5 5", 1)}},
       count_line("L1", 1) + complete(3)},
      {"RepeatedIdentifierReplacesOldFile", "L1 0 0\nL1 1 0\nL2 5 5\nL1 7 7\nL1 7 9\n", kPlain,
       {{"L1.dat", rec("L1 0 0", 1) + rec("L1 1 0", 1) + rec("L1 7 7", 2) + rec("L1 7 9", 2)},
        {"L2.dat", rec("L2 5 5", 1)}},
       count_line("L1", 1) + complete(3), 0, "", {{"L1.dat", old_lines}}},
      // A line file opened but given no record keeps its old content; the
      // first record written to it replaces that, even when its line returns.
      {"ReturningLineFileFirstWrittenLaterIsReplaced", "x L1\n,\nx L2\ny\n", {"0", "2", "2", "2", " "},
       {{"L1.dat", rec("x L1", 0)}, {"L2.dat", rec("x L2", 0)}, {".dat", rec("y", 0)}}, complete(4), 0, "",
       {{".dat", "OLD\r\n"}}},
      {"DotSlashNamesTheSameFile", "HDR\nL1 0 0\nL1 0 1\n./L1 0 2\n./L1 0 3\n", kHead1,
       {{"L1.dat", txt("HDR") + l1l1 + rec("./L1 0 2", 2) + rec("./L1 0 3", 2)}},
       count_line("L1", 1) + complete(2), 0, "", {{"L1.dat", old_lines}}},
      {"UnreadableCoordinateKeepsEarlierRecords", "HDR\nL1 0 0\nL1 0 1\nL2 0 0\nL2 N/A 0\nL2 0 1\n", kHead1List,
       {{"L1.dat", txt("HDR") + l1l1}, {"L2.dat", txt("HDR")}, {"list.lst", txt("HDR") + l1l1}},
       count_line("L1", 1), 59, kNa + place("5: column 2: \"N/A\"")},

  };
  return v;
}

class SegmenterRuns : public testing::TestWithParam<SegCase> {};

TEST_P(SegmenterRuns, ExactFilesAndConsole) {
  const SegCase& c = GetParam();
  TempDir d;
  write_file(d.file("in.xyz"), c.input);
  for (const auto& [n, bytes] : c.before) write_file(d.file(n), bytes);
  SpawnResult r = run_in(d.path(), on_input(c.params));
  EXPECT_EQ(r.exit_code(), exit_status(c.status));
  EXPECT_EQ(console(r), c.console);
  if (c.status == 0) {
    EXPECT_EQ(r.err, "");
  } else {
    std::string err = replace_at(c.err, d.path());
    EXPECT_EQ(r.err.substr(0, err.size()), err);
  }
  expect_files(d.path(), c.files, "in.xyz");
  EXPECT_EQ(read_file(d.file("in.xyz")), c.input);
}

INSTANTIATE_TEST_SUITE_P(Segmenter, SegmenterRuns, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<SegCase>& i) { return i.param.name; });

// A coordinate that cannot be read: the report says which line of the input
// and which column hold it, the first bad one in column order. Strict, only
// decimal numbers are read: every other form is a syntax error.
TEST(SegmenterFailures, ReportSaysWhereTheFieldLies) {
  const std::string digits = "1234567890", x100 = [&] {
    std::string s;
    for (int i = 0; i < 10; ++i) s += digits;
    return s.substr(0, 99) + "x";
  }();
  const std::string late_nan = [] {
    std::string s = "LINE X Y\n";
    for (int i = 0; i < 150000; ++i) s += "L1 1 2\n";
    return s + "L1 1 NaN\n";
  }();
  const std::map<int, std::string> message = {{24, "end-of-file during read"},
                                              {59, "list-directed I/O syntax error"},
                                              {64, "input conversion error"}};
  struct Case {
    std::string what;
    std::string input;
    std::vector<std::string> params;  // nHead LineCol XCol YCol
    int number;
    std::string where;
    bool strict = false;
  };
  std::vector<Case> cases = {
      {"Y after X, a header line before", late_nan, {"1", "1", "2", "3"}, 59, "150002: column 3: \"NaN\""},
      {"out of range", "L1 1e999 2\n", {"0", "1", "2", "3"}, 64, "1: column 2: \"1e999\""},
      {"empty CSV field", "2,A,,210\n", {"0", "2", "1", "4"}, 24, "1: column 4: missing"},
      {"first bad field in column order", "L1 a b\n", {"0", "1", "3", "2"}, 59, "1: column 2: \"a\""},
      {"long field cut", "L1 1 " + x100 + "\n", {"0", "1", "2", "3"}, 59,
       "1: column 3: \"" + x100.substr(0, 80) + "...\""},
      {"control bytes, blank lines counted", "\n  \nL1 1 \x01\x7f\xc3\xa9~\n", {"0", "1", "2", "3"}, 59,
       "3: column 3: \"\\x01\\x7F\xc3\xa9~\""},
      {"strict, out of range", "L1 1e999 2\n", {"0", "1", "2", "3"}, 64, "1: column 2: \"1e999\"", true},
      {"strict, missing", "L1 1\n", {"0", "1", "2", "3"}, 24, "1: column 3: missing", true},
  };
  for (std::string form : {".T.", ".F.", "Total", "12/05", "1/", "/1", "3*", "2*7", "4231000.0e", "1-2e3", "'12'"})
    cases.push_back({"strict, " + form, "L1 +1.5E3 -.5\nL1 2. 1d-2\nL1 " + form + " 2\n", {"0", "1", "2", "3"}, 59,
                     "3: column 2: \"" + form + "\"", true});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    write_file(d.file("in.xyz"), c.input);
    std::vector<std::string> args = on_input(c.params);
    if (c.strict) args.insert(args.begin(), "--strict");
    args.push_back(" ");
    SpawnResult r = run_in(d.path(), args);
    EXPECT_EQ(r.exit_code(), failure_status(c.number));
    const std::string err = replace_at(
        report(c.number, message.at(c.number) + ", unit -5, file Internal List-Directed Read") + place(c.where),
        d.path());
    EXPECT_EQ(r.err.substr(0, err.size()), err);
  }
}

// Line file names stay below the current directory; subdirectories that
// exist may be used, a missing one is reported.
TEST(SegmenterPaths, LineFileNames) {
  TempDir outside;
  struct PathCase {
    std::string id;
    int status;
    std::string err;   // "@": the working directory, "^": its parent
    std::string file;  // the line file that must hold the segment (status 0)
  };
  const std::string bad_name = "file name specification error, unit 12, file ";
  const std::vector<PathCase> path_cases = {
      {"../x", 43, report(43, bad_name + native("^/x.dat")), ""},
      {"a/../../x", 43, report(43, bad_name + native("^/x.dat")), ""},
      {outside.file("x"), 43, report(43, bad_name + outside.file("x.dat")), ""},
      {"a/../L1", 43, report(43, bad_name + native("@/L1.dat")), ""},
      {"nosub/L1", 29, report(29, "file not found, unit 12, file " + native("@/nosub/L1.dat")), ""},
      // a name component too long for the file system, shown whole
      {std::string(300, 'n'), 43, report(43, bad_name + native("@/" + std::string(300, 'n') + ".dat")), ""},
      {"sub/L1", 0, "", "sub/L1.dat"},
      {"..L1", 0, "", "..L1.dat"},
  };
  for (const PathCase& c : path_cases) {
    SCOPED_TRACE(c.id);
    TempDir parent;
    const std::string dir = parent.file("w");
    ASSERT_TRUE(std::filesystem::create_directories(dir + "/a"));
    ASSERT_TRUE(std::filesystem::create_directory(dir + "/sub"));
    const std::string input = "L0 0 0\n" + c.id + " 0 1\n" + c.id + " 0 2\n";
    write_file(dir + "/in.xyz", input);
    SpawnResult r = run_in(dir, on_input(kPlain));
    EXPECT_EQ(r.exit_code(), exit_status(c.status));
    if (c.status == 0) {
      EXPECT_EQ(console(r), complete(2));
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(read_file(dir + "/" + c.file), rec(c.id + " 0 1", 2) + rec(c.id + " 0 2", 2));
    } else {
      std::string err = c.err;
      for (size_t p; (p = err.find('^')) != std::string::npos;) err.replace(p, 1, parent.path());
      err = replace_at(err, dir);
      EXPECT_EQ(r.err.substr(0, err.size()), err);
      EXPECT_EQ(console(r), "");
      EXPECT_EQ(list_dir(parent.path()), std::vector<std::string>{});
      EXPECT_EQ(list_dir(outside.path()), std::vector<std::string>{});
      EXPECT_EQ(list_dir(dir + "/a"), std::vector<std::string>{});
      EXPECT_FALSE(file_exists(dir + "/nosub"));
    }
    EXPECT_EQ(read_file(dir + "/L0.dat"), rec("L0 0 0", 0));
  }
}

}  // namespace

// Descriptor limits and named pipes are POSIX's.
#ifndef _WIN32
// A record of separators only is a segment with a blank identifier whose
// record is never written; its line file is still closed before the next one
// opens, so a long run never runs out of descriptors.
TEST(SegmenterFiles, SeparatorOnlyRecordsLeaveNoLineFileOpen) {
  TempDir d;
  std::string input;
  for (int i = 0; i < 40; ++i) input += "L" + std::to_string(i) + "\n,\n";
  write_file(d.file("in.xyz"), input);
  SpawnResult r = run_in(d.path(), {"in.xyz", "0", "1", "1", "1", " "}, "", [] {
    rlimit few{12, 12};
    setrlimit(RLIMIT_NOFILE, &few);
  });
  EXPECT_EQ(r.exit_code(), 0) << r.err;
  EXPECT_EQ(list_dir(d.path()).size(), 42u);  // in.xyz, .dat and L0.dat to L39.dat
  EXPECT_EQ(read_file(d.file("L39.dat")), rec("L39", 0));
  EXPECT_EQ(read_file(d.file(".dat")), "");
}

// A line that comes back goes on writing to its line file, also when that
// file is a named pipe, which cannot be positioned.
TEST(SegmenterFiles, ReturningLineFileThatIsAPipe) {
  TempDir d;
  write_file(d.file("in.xyz"), "A 1 2\nB 1 2\nA 3 4\n");
  ASSERT_EQ(mkfifo(d.file("A.dat").c_str(), 0666), 0);
  FifoReader reader(d.file("A.dat"), SIZE_MAX);
  SpawnResult r = run_in(d.path(), on_input(kPlain));
  EXPECT_EQ(r.exit_code(), 0) << r.err;
  EXPECT_EQ(console(r), complete(3));
  EXPECT_EQ(read_file(d.file("B.dat")), rec("B 1 2", 0));
  EXPECT_EQ(reader.finish(), rec("A 1 2", 0) + rec("A 3 4", 0));
}
#endif
