// SPDX-License-Identifier: Apache-2.0
// End-to-end tests of the run driver: banner and usage text, parameters from
// arguments or prompts, the existence check, validation, and the failures of
// reading and writing the console. Every byte of standard output is compared.
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/version.h"
#include "tests/e2e_support.h"

namespace {

using Names = std::vector<std::string>;

std::string plain(const std::string& text) { return " " + text + "\r\n"; }

std::string banner_and_usage() {
  static const std::string kBanner[] = {
      "********************************************",
      "*                                          *",
      "*               Segmentor                  *",
      "*                                          *",
      "*   This program reads a data file and     *",
      "*   splits it into a data file for each    *",
      "*   line in the file. Data columns are     *",
      "*   separated by spaces or commas          *",
      "*                                          *",
      "*              April,  2005                *",
      "*                                          *",
      version_row(),
      "*                                          *",
      "********************************************",
  };
  static const char* const kUsage[] = {
      " ",
      " Command line usage : ",
      "   Segmentor infile nHead LineCol XCol YCol {lstfil}",
      " ",
      " Where:",
      " ",
      " infile    - the input data file",
      " nHead     - the number of header lines at the start of the file",
      " LineCol   - the column number containing the Line field",
      " XCol,YCol - the column number of the X,Y coordinates",
      " lstfil    - the (optional) output line list file",
      " ",
      " Each line is writen to a separate file with the line number as name",
      " ",
  };
  std::string s = plain(" ") + plain(" ");
  for (const std::string& row : kBanner) s += std::string(17, ' ') + row + "\r\n";
  for (const char* row : kUsage) s += plain(row);
  return s;
}

const std::string kAskNumbers = kAskHead + kAskLine + kAskX + kAskY;
const std::string kAskAll = kAskInput + kAskNumbers + kAskList;

const std::string kMissing = " that file does not exist\r\n";

// What a run that completes writes after the dialogue: the announcement,
// then the summary line.
std::string announced_complete(int segments) { return kAnnouncement + complete(segments); }

std::string report(int number, const std::string& message, int unit, const std::string& file) {
  return ::report(number, message + ", unit " + std::to_string(unit) + ", file " + file);
}
const std::string kText = "Internal List-Directed Read";

// An absolute name of more than PATH_MAX characters that resolves to itself.
const std::string kBeyondPathMax = [] {
  std::string s;
  while (s.size() <= PATH_MAX) s += "/d";
  return s;
}();

// kBeyondPathMax as a report shows it: where names have drives, on the
// drive of the scratch folders ("C:\d\d..."), else as it is.
std::string beyond_path_max_shown() {
  TempDir d;
  return d.path().substr(0, d.path().find(kDirSeparator)) + native(kBeyondPathMax);
}

std::string first_line(const std::string& s) {
  size_t end = s.find('\n');
  return end == std::string::npos ? s : s.substr(0, end + 1);
}

// A scratch directory holding the input "in.xyz": one header line and one
// data record of line L1, so a normal end creates L1.dat and counts 1 segment.
struct Scratch {
  TempDir dir;
  Scratch() { write_file(dir.file("in.xyz"), "H\nL1 1 2\n"); }
};

#ifndef _WIN32
void redirect(int fd, const char* path) {
  int f = open(path, O_WRONLY);
  dup2(f, fd);
}
#endif

// ---------------------------------------------------------------------------
// Normal runs: the dialogue, whole standard output, and the files it leads to.

struct NormalCase {
  const char* what;
  std::vector<std::string> args;
  std::string input;
  std::string prompts;
  int segments;
  Names files;
};

TEST(DriverDialogue, ParametersFromArgumentsAndPromptsInOrder) {
  const std::string a79 = std::string(79, '0');
  const NormalCase cases[] = {
      {"no arguments: all six prompts", {}, "in.xyz\n1\n1\n2\n3\n\n", kAskAll, 1, {"L1.dat", "in.xyz"}},
      {"replies with CR LF line ends", {}, "in.xyz\r\n1\r\n1\r\n2\r\n3\r\n\r\n", kAskAll, 1,
       {"L1.dat", "in.xyz"}},
      {"blank lines skipped, rest of a reply line dropped", {},
       "\n  in.xyz  extra\n\n   \n1 9\n1,7\n2\n3\nout.lst\n", kAskAll, 1,
       {"L1.dat", "in.xyz", "out.lst"}},
      {"one argument", {"in.xyz"}, "1\n1\n2\n3\n\n", kAskNumbers + kAskList, 1,
       {"L1.dat", "in.xyz"}},
      {"three arguments", {"in.xyz", "1", "1"}, "2\n3\n\n", kAskX + kAskY + kAskList, 1,
       {"L1.dat", "in.xyz"}},
      {"five arguments, Enter alone: no list file", {"in.xyz", "1", "1", "2", "3"}, "\n",
       kAskList, 1, {"L1.dat", "in.xyz"}},
      {"list file reply taken as a whole line", {"in.xyz", "1", "1", "2", "3"},
       "my list.lst\n", kAskList, 1, {"L1.dat", "in.xyz", "my list.lst"}},
      {"six arguments: no prompt", {"in.xyz", "1", "1", "2", "3", "out.lst"}, "", "", 1,
       {"L1.dat", "in.xyz", "out.lst"}},
      {"seventh argument ignored", {"in.xyz", "1", "1", "2", "3", "out.lst", "seven.lst"}, "", "",
       1, {"L1.dat", "in.xyz", "out.lst"}},
      {"empty sixth argument: no list file", {"in.xyz", "1", "1", "2", "3", ""}, "", "", 1,
       {"L1.dat", "in.xyz"}},
      {"input name with leading blanks", {"   in.xyz", "1", "1", "2", "3", ""}, "", "", 1,
       {"L1.dat", "in.xyz"}},
      {"64 header lines accepted", {"in.xyz", "64", "1", "2", "3", ""}, "", "", 0, {"in.xyz"}},
      {"0 header lines accepted", {"in.xyz", "0", "1", "1", "1", ""}, "", "", 2,
       {"H.dat", "L1.dat", "in.xyz"}},
      {"equal columns accepted", {"in.xyz", "1", "2", "2", "2", ""}, "", "", 1,
       {"1.dat", "in.xyz"}},
      {"real syntax truncated: 1.9 is 1", {"in.xyz", "1.9", "1", "2", "3", ""}, "", "", 1,
       {"L1.dat", "in.xyz"}},
      {"real syntax truncated: 3.9 is 3", {"in.xyz", "1", "1", "2", "3.9", ""}, "", "", 1,
       {"L1.dat", "in.xyz"}},
      {"real syntax reply truncated: 1.9 is 1", {"in.xyz"}, "1.9\n1\n2\n3\n\n",
       kAskNumbers + kAskList, 1, {"L1.dat", "in.xyz"}},
      {"numeric argument read whole: 12 header lines", {"in.xyz", a79 + "12", "1", "2", "3", ""}, "", "",
       0, {"in.xyz"}},
  };
  for (const NormalCase& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch s;
    SpawnResult r = run_in(s.dir.path(), c.args, c.input);
    EXPECT_EQ(r.out, banner_and_usage() + c.prompts + announced_complete(c.segments));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(list_dir(s.dir.path()), c.files);
  }
}

TEST(DriverDialogue, ListFileGetsTheHeaderAndTheRecord) {
  Scratch s;
  SpawnResult r = run_in(s.dir.path(), {"in.xyz", "1", "1", "2", "3"}, "out.lst\n");
  EXPECT_EQ(r.exit_code(), 0);
  EXPECT_EQ(read_file(s.dir.file("out.lst")), "H\r\nL1 1 2   0\r\n");
}

// Names are used whole, however long: never their first 80 characters.
TEST(DriverDialogue, LongNamesAreUsedWhole) {
  const std::string name80 = std::string(76, 'a') + ".xyz", name81 = name80 + "z";
  const std::string in150 = std::string(146, 'i') + ".xyz", list150 = std::string(146, 'l') + ".lst";
  struct {
    const char* what;
    std::string existing;  // holds the input besides in.xyz
    std::vector<std::string> args;
    std::string input;
    std::string out;  // after the banner and usage
    Names files;      // sorted
  } cases[] = {
      {"81-character input argument", name81, {name81, "1", "1", "2", "3", ""}, "", announced_complete(1),
       {"L1.dat", name81, "in.xyz"}},
      {"its first 80 characters name another file", name80, {name81, "1", "1", "2", "3", ""}, "", "",
       {name80, "in.xyz"}},
      {"150-character input argument", in150, {in150, "1", "1", "2", "3", ""}, "", announced_complete(1),
       {"L1.dat", in150, "in.xyz"}},
      {"150-character list file argument", "", {"in.xyz", "1", "1", "2", "3", list150}, "", announced_complete(1),
       {"L1.dat", "in.xyz", list150}},
      {"150-character list file reply", "", {"in.xyz", "1", "1", "2", "3"}, list150 + "\n",
       kAskList + announced_complete(1), {"L1.dat", "in.xyz", list150}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch s;
    if (!c.existing.empty()) write_file(s.dir.file(c.existing), "H\nL1 1 2\n");
    SpawnResult r = run_in(s.dir.path(), c.args, c.input);
    EXPECT_EQ(r.out, banner_and_usage() + c.out);
    EXPECT_EQ(r.err, c.out.empty() ? kMissing : "");
    EXPECT_EQ(r.exit_code(), c.out.empty() ? 1 : 0);
    EXPECT_EQ(list_dir(s.dir.path()), c.files);
    if (file_exists(s.dir.file(list150))) {
      EXPECT_EQ(read_file(s.dir.file(list150)), "H\r\nL1 1 2   0\r\n");
    }
  }
}

// Options before the arguments, beside a file called --help: alone, --help
// and --version ask for nothing and open nothing; anywhere else, and after
// "--", a word is a name. A command line the program cannot take stops it
// before anything is written or opened.
TEST(DriverOptions, OptionsAndRequestsBeforeTheArguments) {
#ifdef _WIN32
  const std::string version_end = "\r\n";
#else
  const std::string version_end = "\n";  // as a shell script reads it
#endif
  const std::string try_help = "\r\nTry 'segmentor --help'.\r\n";
  const std::string run = banner_and_usage() + announced_complete(1);
  const Names ran = {"--help", "L1.dat", "in.xyz"}, untouched = {"--help", "in.xyz"};
  auto args = [](std::vector<std::string> words) {
    for (const char* a : {"in.xyz", "1", "1", "2", "3", ""}) words.push_back(a);
    return words;
  };
  struct {
    std::vector<std::string> args;
    std::string input, out, err;
    int status;
    Names files, in_out_sub = {};
  } cases[] = {
      {{"--help"}, "", banner_and_usage(), "", 0, untouched},
      {{"--version"}, "", "segmentor " + std::string(kVersion) + version_end, "", 0, untouched},
      {{"./--help", "1", "1", "2", "3", ""}, "", run, "", 0, ran},
      {{"--", "--help", "1", "1", "2", "3", ""}, "", run, "", 0, ran},
      {{"in.xyz", "1", "1", "2", "3", "--quiet"}, "", run, "", 0, {"--help", "--quiet", "L1.dat", "in.xyz"}},
      {args({"--quiet"}), "", "", "", 0, ran},
      {{"--quiet", "--help", "1", "1", "2", "3", ""}, "", "", "", 0, ran},
      {{"--quiet", "in.xyz"}, "1\n1\n2\n3\n\n", kAskNumbers + kAskList, "", 0, ran},
      {{"--quiet", "in.xyz", "-1", "1", "2", "3", ""}, "", plain("The header line count cannot be negative"), "",
       1, untouched},
      {{"--quiet", "nope.xyz"}, "", "", kMissing, 1, untouched},
      {{"--version", "--help"}, "", banner_and_usage(), kMissing, 1, untouched},
      {args({"--quiet", "--bogus"}), "", "", "segmentor: unknown option --bogus" + try_help, 2, untouched},
      {args({"--quiet=yes"}), "", "", "segmentor: unknown option --quiet=yes" + try_help, 2, untouched},
      {{"--help "}, "", "", "segmentor: unknown option --help " + try_help, 2, untouched},
      {{"--output-dir"}, "", "", "segmentor: option --output-dir needs a value" + try_help, 2, untouched},
      {args({"--output-dir=a", "--output-dir", "b"}), "", "", "segmentor: option --output-dir given twice" + try_help,
       2, untouched},
      {args({"--output-dir=in.xyz"}), "", banner_and_usage(),
       "segmentor: cannot use the output folder in.xyz: " + kNotAFolderText + "\r\n", 1, untouched},
      {args({"--quiet", "--strict", "--output-dir", "out/sub"}), "", "", "", 0, untouched, {"L1.dat"}},
  };
  for (const auto& c : cases) {
    std::string trace;
    for (const std::string& a : c.args) trace += "[" + a + "] ";
    SCOPED_TRACE(trace);
    Scratch s;
    write_file(s.dir.file("--help"), "H\nL1 1 2\n");
    SpawnResult r = run_in(s.dir.path(), c.args, c.input);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.exit_code(), c.status);
    EXPECT_EQ(list_dir(s.dir.path()), c.files);
    if (!c.in_out_sub.empty()) {
      EXPECT_EQ(list_dir(s.dir.file(native("out/sub"))), c.in_out_sub);
    }
  }
}

// ---------------------------------------------------------------------------
// The input name typed at the prompt; a directory as the input.

TEST(DriverInputName, QuotedReplyKeepsInnerBlankUnquotedStopsAtIt) {
  struct {
    const char* reply;
    Names files;
  } cases[] = {
      {"'my data.xyz'\n", {"D1.dat", "my", "my data.xyz"}},
      {"\"my data.xyz\"\n", {"D1.dat", "my", "my data.xyz"}},
      {"my data.xyz\n", {"M1.dat", "my", "my data.xyz"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    TempDir dir;
    write_file(dir.file("my"), "H\nM1 1 2\n");
    write_file(dir.file("my data.xyz"), "H\nD1 1 2\n");
    SpawnResult r = run_in(dir.path(), {}, std::string(c.reply) + "1\n1\n2\n3\n\n");
    EXPECT_EQ(r.out, banner_and_usage() + kAskAll + announced_complete(1));
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(list_dir(dir.path()), c.files);
  }
}

// A typed name keeps its slashes: relative, with "..", or absolute.
TEST(DriverInputName, TypedNameWithSlashesIsReadWhole) {
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("sub")));
  write_file(dir.file("sub/in.xyz"), "H\nS1 1 2\n");
  const std::string abs = std::filesystem::canonical(dir.path()).string();
  const std::string up = "../" + std::filesystem::path(abs).filename().string();
  for (const std::string& reply : std::vector<std::string>{"sub/in.xyz", up + "/sub/in.xyz", abs + "/sub/in.xyz"}) {
    SCOPED_TRACE(reply);
    std::filesystem::remove(dir.file("S1.dat"));
    SpawnResult r = run_in(dir.path(), {}, reply + "\n1\n1\n2\n3\n\n");
    EXPECT_EQ(r.out, banner_and_usage() + kAskAll + announced_complete(1));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(read_file(dir.file("S1.dat")), "H\r\nS1 1 2   0\r\n");
  }
}

TEST(DriverInputName, DirectoryPassesTheCheckThenFailsToOpen) {
  Scratch s;
  std::filesystem::create_directory(s.dir.file("sub"));
  std::string abs = std::filesystem::canonical(s.dir.path()).string() + kDirSeparator + "sub";
  SpawnResult r = run_in(s.dir.path(), {"sub", "1", "1", "2", "3", ""});
  const std::string expected = banner_and_usage() + kAnnouncement;
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(first_line(r.err), report(9, "permission to access file denied", 10, abs));
  EXPECT_EQ(r.exit_code(), failure_status(9));
  EXPECT_EQ(list_dir(s.dir.path()), Names{"in.xyz"});
}

// ---------------------------------------------------------------------------
// The missing input: checked right after the name, before any number.

TEST(DriverExistence, MissingInputStopsBeforeAnyNumberIsRead) {
  struct {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    std::string prompts;
  } cases[] = {
      {"typed at the first prompt", {}, "nope.xyz\n1\n1\n2\n3\n\n", kAskInput},
      {"typed, a malformed number would follow", {}, "nope.xyz\nabc\n", kAskInput},
      {"quoted blank name", {}, "'   '\n1\n1\n2\n3\n\n", kAskInput},
      {"argument, other arguments invalid", {"nope.xyz", "-1", "0", "0", "0", ""}, "", ""},
      {"argument, malformed number follows", {"nope.xyz", "abc"}, "", ""},
      {"argument, prompts would follow", {"nope.xyz"}, "1\n1\n2\n3\n\n", ""},
      {"empty argument", {"", "1", "1", "2", "3", ""}, "", ""},
      {"blank argument", {"    ", "1", "1", "2", "3", ""}, "", ""},
      {"name longer than the platform accepts", {kBeyondPathMax, "1", "1", "2", "3", ""}, "", ""},
      // options only alone and exactly as written; otherwise a file name
      {"--help with other arguments", {"--help", "1", "1", "2", "3", ""}, "", ""},
      {"--version with another argument", {"--version", "1"}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch s;
    SpawnResult r = run_in(s.dir.path(), c.args, c.input);
    EXPECT_EQ(r.out, banner_and_usage() + c.prompts);
    EXPECT_EQ(r.err, kMissing);
    EXPECT_EQ(r.exit_code(), 1);
    EXPECT_EQ(list_dir(s.dir.path()), Names{"in.xyz"});
  }
}

// Standard streams redirected in the child are POSIX's here.
#ifndef _WIN32
TEST(DriverExistence, StopMessageThatCannotBeWrittenIsFailure38) {
  Scratch s;
  SpawnResult r = run_in(s.dir.path(), {"nope.xyz", "1", "1", "2", "3", ""}, "",
                        [] { redirect(2, "/dev/full"); });
  EXPECT_EQ(r.out, banner_and_usage());
  EXPECT_EQ(r.term_signal(), 0);
  EXPECT_EQ(r.exit_code(), failure_status(38));
}
#endif

// ---------------------------------------------------------------------------
// Validation: first failing test wins; its message ends standard output.

TEST(DriverValidation, FirstInvalidNumberGivesItsMessageOnly) {
  const std::string head_neg = "The header line count cannot be negative";
  const std::string head_big = "The header line count cannot be more than 64";
  const std::string line = "The line column cannot be zero";
  const std::string x = "The X column cannot be zero";
  const std::string y = "The Y column cannot be zero";
  struct {
    std::vector<std::string> numbers;
    std::string message;
  } cases[] = {
      {{"-1", "1", "2", "3"}, head_neg},
      {{"65", "1", "2", "3"}, head_big},
      {{"2147483647", "1", "2", "3"}, head_big},
      {{"-1", "0", "0", "0"}, head_neg},
      {{"65", "0", "0", "0"}, head_big},
      {{"0", "0", "2", "3"}, line},
      {{"0", "-3", "2", "3"}, line},
      {{"0", "0.9", "2", "3"}, line},
      {{"0", "-3.9", "2", "3"}, line},
      {{"0", "/", "2", "3"}, line},
      {{"0", ",", "2", "3"}, line},
      {{"0", "0", "0", "3"}, line},
      {{"0", "0", "0", "0"}, line},
      {{"0", "1", "0", "3"}, x},
      {{"0", "1", "-2147483648", "3"}, x},
      {{"0", "1", "0", "0"}, x},
      {{"0", "1", "2", "0"}, y},
      {{"0", "1", "2", "-1"}, y},
  };
  for (const auto& c : cases) {
    for (bool typed : {false, true}) {
      SCOPED_TRACE(c.numbers[0] + " " + c.numbers[1] + " " + c.numbers[2] + " " + c.numbers[3] +
                   (typed ? " typed" : " as arguments"));
      Scratch s;
      std::vector<std::string> args = {"in.xyz"};
      std::string input, prompts;
      if (typed) {
        for (const std::string& n : c.numbers) input += n + "\n";
        input += "out.lst\n";
        prompts = kAskNumbers + kAskList;
      } else {
        args.insert(args.end(), c.numbers.begin(), c.numbers.end());
        args.push_back("out.lst");
      }
      SpawnResult r = run_in(s.dir.path(), args, input);
      EXPECT_EQ(r.out, banner_and_usage() + prompts + plain(c.message));
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.exit_code(), 1);
      EXPECT_EQ(list_dir(s.dir.path()), Names{"in.xyz"});
    }
  }
}

// ---------------------------------------------------------------------------
// Malformed numbers and the end of standard input: failure reports.

TEST(DriverFailures, MalformedNumbersAndEndOfInput) {
  const std::string syntax = "list-directed I/O syntax error";
  const std::string conversion = "input conversion error";
  const std::string eof = "end-of-file during read";
  struct {
    std::vector<std::string> args;
    std::string input;
    std::string prompts;
    int number;
    std::string message;
    int unit;
    std::string file;
  } cases[] = {
      {{"in.xyz", "abc", "1", "2", "3", ""}, "", "", 59, syntax, -5, kText},
      {{"in.xyz", "1", "1", "2", "12abc", ""}, "", "", 59, syntax, -5, kText},
      {{"in.xyz", "--help", "1", "2", "3", ""}, "", "", 59, syntax, -5, kText},
      {{"in.xyz", "5-3", "1", "2", "3", ""}, "", "", 64, conversion, -5, kText},
      {{"in.xyz", "1e10", "1", "2", "3", ""}, "", "", 64, conversion, -5, kText},
      {{"in.xyz", "3e9", "1", "2", "3", ""}, "", "", 64, conversion, -5, kText},
      {{"in.xyz", "-3e9", "1", "2", "3", ""}, "", "", 64, conversion, -5, kText},
      {{"in.xyz", "2147483648", "1", "2", "3", ""}, "", "", 64, conversion, -5, kText},
      {{"in.xyz", "1", "1", "'2'", "3", ""}, "", "", 64, conversion, -5, kText},
      {{"in.xyz", "", "1", "2", "3", ""}, "", "", 24, eof, -5, kText},
      {{"in.xyz", "1", "1", "2", "   "}, "", "", 24, eof, -5, kText},
      {{"in.xyz"}, "abc\n", kAskHead, 59, syntax, -4, "CONIN$"},
      {{"in.xyz"}, "5-3\n", kAskHead, 64, conversion, -4, "CONIN$"},
      {{"in.xyz"}, "1e10\n", kAskHead, 64, conversion, -4, "CONIN$"},
      {{"in.xyz"}, "3e9\n", kAskHead, 64, conversion, -4, "CONIN$"},
      {{"in.xyz"}, "1\n1\nxyz\n", kAskHead + kAskLine + kAskX, 59, syntax, -4, "CONIN$"},
      {{}, "", kAskInput, 24, eof, -4, "CONIN$"},
      {{}, "\n  \n", kAskInput, 24, eof, -4, "CONIN$"},
      {{}, "'in.xyz\n", kAskInput, 24, eof, -4, "CONIN$"},
      {{"in.xyz"}, "", kAskHead, 24, eof, -4, "CONIN$"},
      {{"in.xyz"}, "\x1a\n1\n1\n2\n3\n\n", kAskHead, 24, eof, -4, "CONIN$"},
      {{"in.xyz"}, "1\n1\n", kAskHead + kAskLine + kAskX, 24, eof, -4, "CONIN$"},
      {{"in.xyz"}, "1\n1\n2\n3\n", kAskNumbers + kAskList, 24, eof, -4, "CONIN$"},
      {{"in.xyz", "1", "1", "2", "3"}, "", kAskList, 24, eof, -4, "CONIN$"},
      // a name longer than the platform accepts, shown whole
      {{"in.xyz", "1", "1", "2", "3", kBeyondPathMax}, "", kAnnouncement, 43,
       "file name specification error", 11, beyond_path_max_shown()},
      // a list file name of NULs, after blanks or not, is the empty name
      {{"in.xyz", "1", "1", "2", "3"}, std::string("\0\n", 2), kAskList + kAnnouncement, 29,
       "file not found", 11, ""},
      {{"in.xyz", "1", "1", "2", "3"}, std::string(" \0 \n", 4), kAskList + kAnnouncement,
       29, "file not found", 11, ""},
  };
  for (const auto& c : cases) {
    std::string trace;
    for (const std::string& a : c.args) trace += "[" + a + "] ";
    SCOPED_TRACE(trace + "stdin [" + c.input + "]");
    Scratch s;
    SpawnResult r = run_in(s.dir.path(), c.args, c.input);
    const std::string expected = banner_and_usage() + c.prompts;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(first_line(r.err), report(c.number, c.message, c.unit, c.file));
    EXPECT_EQ(r.term_signal(), 0);
    EXPECT_EQ(r.exit_code(), failure_status(c.number));
    EXPECT_EQ(list_dir(s.dir.path()), Names{"in.xyz"});
  }
}

// A walk that got past the main program's row to the start of the process did
// not fail, so nothing at all follows the prompt on standard output.
TEST(DriverFailures, CompleteTracebackAddsNothingToStandardOutput) {
  Scratch s;
  SpawnResult r = run_in(s.dir.path(), {"in.xyz"}, "abc\n");
  ASSERT_EQ(r.exit_code(), failure_status(59));
  size_t main_row = r.err.find("  SEGMENTOR  ");
  size_t rows = 0;
  for (char ch : r.err) rows += ch == '\n';
  rows -= 2;  // the report line and the header line
  // Without names, a walk that stops short of the row limit has reached the end.
  bool past_main = kNoDebugInfoReader ||
                   (main_row != std::string::npos && r.err.find('\n', main_row) + 1 != r.err.size());
  if (!past_main || rows >= 20) GTEST_SKIP() << "the table does not reach past the main program";
  EXPECT_EQ(r.out, banner_and_usage() + kAskHead);
}

// ---------------------------------------------------------------------------
// The console refuses a read or a write.

TEST(DriverFailures, RefusedConsoleReadIs39) {
  struct {
    std::vector<std::string> args;
    std::string prompts;
  } cases[] = {
      {{}, kAskInput},
      {{"in.xyz"}, kAskHead},
      {{"in.xyz", "1", "1", "2", "3"}, kAskList},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prompts);
    Scratch s;
    SpawnResult r = run_in(s.dir.path(), c.args, "", {}, Stdin::write_only);
    const std::string expected = banner_and_usage() + c.prompts;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(first_line(r.err), report(39, "error during read", -4, "CONIN$"));
    EXPECT_EQ(r.exit_code(), failure_status(39));
  }
}

#ifndef _WIN32
TEST(DriverFailures, RefusedConsoleWriteIs38) {
  std::function<void()> full = [] { redirect(1, "/dev/full"); };
  for (const auto& in_child : {full, std::function<void()>(output_to_closed_pipe)}) {
    Scratch s;
    SpawnResult r = run_in(s.dir.path(), {"in.xyz", "1", "1", "2", "3", ""}, "", in_child);
    EXPECT_EQ(first_line(r.err), report(38, "error during write", -1, "CONOUT$"));
    EXPECT_EQ(r.term_signal(), 0);
    EXPECT_EQ(r.exit_code(), failure_status(38));
    EXPECT_EQ(list_dir(s.dir.path()), Names{"in.xyz"});  // ended at the first line
  }
}
#endif

}  // namespace
