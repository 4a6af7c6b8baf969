// SPDX-License-Identifier: Apache-2.0
// End-to-end: how the program opens, reads, writes and cuts its files: old
// content of output files, files connected twice, refused opens and writes,
// writes cut short, pipes as the input and block-sized inputs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include "tests/fifo_reader.h"
#endif
#include "tests/e2e_support.h"

namespace {

std::string system_line(const std::string& text) { return "runlib: " + text + "\r\r\n"; }

void expect_err_start(const SpawnResult& r, const std::string& want) {
  EXPECT_EQ(r.err.substr(0, want.size()), want);
}

std::string ten_old_lines() {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "old line " + std::to_string(i) + " of a file written before this run\r\n";
  return s;
}

const std::vector<std::string> kNoList{"in.xyz", "0", "1", "2", "3", " "};
const std::vector<std::string> kList{"in.xyz", "0", "1", "2", "3", "list.lst"};

TEST(RecordFiles, ExistingOutputFilesAreCutAtTheFirstWrite) {
  const std::string input = "L1 0 0\nL1 0 1\n";
  const std::string two = rec("L1 0 0", 2) + rec("L1 0 1", 2);
  for (const std::string existing : {"list.lst", "L1.dat"}) {
    SCOPED_TRACE(existing);
    TempDir d;
    write_file(d.file("in.xyz"), input);
    write_file(d.file(existing), ten_old_lines());
    SpawnResult r = run_in(d.path(), kList);
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(console(r), complete(1));
    expect_files(d.path(), {{"in.xyz", input}, {"list.lst", two}, {"L1.dat", two}});
  }
}

TEST(RecordFiles, ExistingListFileKeptWhenNothingIsWritten) {
  struct Case {
    const char* name;
    std::string input;
    std::string nhead;
  };
  const Case cases[] = {{"empty input", "", "0"},
                        {"blank lines only", "\n   \r\n\n", "0"},
                        {"fewer lines than the headers", "H1\n", "2"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir d;
    write_file(d.file("in.xyz"), c.input);
    write_file(d.file("list.lst"), ten_old_lines());
    SpawnResult r = run_in(d.path(), {"in.xyz", c.nhead, "1", "2", "3", "list.lst"});
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(console(r), complete(0));
    EXPECT_EQ(r.err, "");
    expect_files(d.path(), {{"in.xyz", c.input}, {"list.lst", ten_old_lines()}});
  }
}

// A file already connected in this run is refused with 30 and the system
// line, whatever name reaches it; the file is left untouched.
TEST(RecordFiles, SecondConnectionToOneFileIsRefused) {
  struct Case {
    std::string infile, list, unit_file;
    int unit;
    Files after;  // besides the input
  };
  const std::string input = "HDR\nL1 0 0\nL1 0 1\n";
  const std::vector<Case> cases = {
      {"in.xyz", "in.xyz", "in.xyz", 11, {}},
      {"in.xyz", "./in.xyz", "in.xyz", 11, {}},
      {"in.xyz", "link.xyz", "link.xyz", 11, {}},
      {"in.xyz", "L1.dat", "L1.dat", 12, {{"L1.dat", "HDR\r\n"}}},
      {"L1.dat", " ", "L1.dat", 12, {}},
      {"L1.dat", "list.lst", "L1.dat", 12, {{"list.lst", "HDR\r\n"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.infile + " / " + c.list);
    TempDir d;
    write_file(d.file(c.infile), input);
    if (c.list == "link.xyz") {
#ifdef _WIN32
      continue;  // a link is an administrator's right on Windows
#endif
      std::filesystem::create_symlink("in.xyz", d.file("link.xyz"));
    }
    SpawnResult r = run_in(d.path(), {c.infile, "1", "1", "2", "3", c.list});
    EXPECT_EQ(r.exit_code(), failure_status(30));
    EXPECT_EQ(console(r), "");
    expect_err_start(r, system_line(kBusyText) +
                            report(30, "open failure, unit " + std::to_string(c.unit) + ", file " +
                                           d.file(c.unit_file)));
    Files after = c.after;
    after[c.infile] = input;
    if (c.list == "link.xyz") after["link.xyz"] = input;
    expect_files(d.path(), after);
  }
}

TEST(RecordFiles, DirectoryAsInputIsRefused) {
  TempDir d;
  ASSERT_TRUE(std::filesystem::create_directory(d.file("adir")));
  SpawnResult r = run_in(d.path(), {"adir", "0", "1", "2", "3", "list.lst"});
  EXPECT_EQ(r.exit_code(), failure_status(9));
  EXPECT_EQ(console(r), "");
  expect_err_start(r, report(9, "permission to access file denied, unit 10, file " + d.file("adir")));
  expect_files(d.path(), {});
}

// Windows has no /dev/full: WindowsFiles.FullDiskGives38WithTheSystemsText
// names Wine's view of it.
#ifndef _WIN32
TEST(RecordFiles, FullDeviceAsListFile) {
  TempDir d;
  write_file(d.file("in.xyz"), "HDR\nL1 0 0\n");
  SpawnResult r = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", "/dev/full"});
  EXPECT_EQ(r.exit_code(), failure_status(38));
  EXPECT_EQ(console(r), "");
  expect_err_start(r, system_line("No space left on device") +
                          report(38, "error during write, unit 11, file /dev/full"));
  expect_files(d.path(), {{"in.xyz", "HDR\nL1 0 0\n"}});
}
#endif

// Run as an unprivileged user: a line file that may be read but not written
// opens read-only, and the first record for it ends the run with 47.
TEST(RecordFiles, ReadOnlyLineFileEndsRunAtItsFirstWrite) {
  TempDir d;
  if (std::string why = permissions_untestable(d.path()); !why.empty()) GTEST_SKIP() << why;
  const std::string input = "HDR\nL0 0 0\nL1 0 1\nL1 0 2\n";
  write_file(d.file("in.xyz"), input);
  write_file(d.file("L1.dat"), "old\r\n");
  ASSERT_EQ(chmod(d.file("L1.dat").c_str(), 0444), 0);
  ASSERT_EQ(chmod(d.path().c_str(), 0777), 0);
  SpawnResult r = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", "list.lst"}, "", drop_privileges);
  EXPECT_EQ(r.exit_code(), failure_status(47));
  EXPECT_EQ(console(r), "");
  expect_err_start(r, "runlib: severe (47): write to READONLY file, unit 12, file " + d.file("L1.dat") + "\r\r\n");
  const std::string before = "HDR\r\n" + rec("L0 0 0", 0);
  expect_files(d.path(), {{"in.xyz", input}, {"L0.dat", before}, {"L1.dat", "old\r\n"}, {"list.lst", before}});
}

// File-size limits, closed standard streams and named pipes are POSIX's.
#ifndef _WIN32
// A file-size limit cuts a record short: the run ends with 38 and every
// output file ends with a whole record, whether SIGXFSZ was ignored when the
// program started or left at its default, which would end it mid-record.
// An interrupt that arrives as the short write returns ends the run by the
// signal instead, the record cut back all the same; so does a second signal
// that comes while the failure's own closing is under way.
TEST(RecordFiles, WriteCutShortByFileSizeLimitLeavesWholeRecords) {
  constexpr rlim_t kLimit = 1000;
  std::string input = "HDR\n", full = "HDR\r\n";
  for (int i = 0; i < 200; ++i) {
    std::string line = "L1 0 " + std::to_string(i);
    input += line + "\n";
    full += rec(line, 2);
  }
  // The longest run of whole records within the limit, and proof that the
  // next record straddles the limit.
  size_t whole = 0;
  for (size_t p = full.find("\r\n"); p != std::string::npos && p + 2 <= kLimit; p = full.find("\r\n", p + 2))
    whole = p + 2;
  ASSERT_LT(whole, kLimit);
  ASSERT_GT(full.find("\r\n", whole) + 2, kLimit);

  struct Ending {
    const char* how;
    sighandler_t sigxfsz;
    int interrupt = 0;  // a signal raised as the short write returns, or 0
    int then = 0;       // with `interrupt`, a second one, both as the input is closed
  };
  for (Ending e : {Ending{"SIGXFSZ ignored", SIG_IGN}, Ending{"SIGXFSZ at its default", SIG_DFL},
                   Ending{"SIGINT as the write comes back short", SIG_IGN, SIGINT},
                   Ending{"SIGINT and SIGTERM as the failure closes the input", SIG_IGN, SIGINT, SIGTERM}}) {
    SCOPED_TRACE(e.how);
    if (e.interrupt && kNoWriteHook) continue;  // skipped below
    TempDir d;
    write_file(d.file("in.xyz"), input);
    SpawnResult r = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", "list.lst"}, "", [e] {
      signal(SIGXFSZ, e.sigxfsz);
      rlimit rl{kLimit, kLimit};
      setrlimit(RLIMIT_FSIZE, &rl);
      if (e.interrupt) hook_write(e.then ? "in.xyz" : "list.lst", e.then ? -1 : 0, e.interrupt, e.then);
    });
    const std::string failure =
        system_line("File too large") + report(38, "error during write, unit 11, file " + d.file("list.lst"));
    if (e.then) {
      EXPECT_EQ(r.term_signal(), e.then);
      expect_err_start(r, failure);
    } else if (e.interrupt) {
      EXPECT_EQ(r.term_signal(), e.interrupt);
      EXPECT_EQ(r.err, event_report("control-C"));
    } else {
      EXPECT_EQ(r.exit_code(), failure_status(38));
      expect_err_start(r, failure);
    }
    EXPECT_EQ(console(r), "");
    for (const std::string name : {"list.lst", "L1.dat"}) {
      SCOPED_TRACE(name);
      std::string got = read_file(d.file(name));
      EXPECT_LE(got.size(), kLimit);
      EXPECT_TRUE(got.ends_with("\r\n"));
      EXPECT_EQ(full.substr(0, got.size()), got);
      EXPECT_EQ(got.size(), whole);  // both got every record before the one cut short
    }
  }
  if (kNoWriteHook) GTEST_SKIP() << "SIGINT as the write comes back short: " << kNoWriteHook;
}

// Started with standard input and standard error closed, the program keeps
// their numbers from its files: the failure report does not go into the
// list file, which holds its records only.
TEST(RecordFiles, ClosedStandardStreamsAreNotReusedForFiles) {
  TempDir d;
  const std::string input = "HDR\nL1 0 0\nL1 0 1\nL2 N/A 0\n";
  write_file(d.file("in.xyz"), input);
  SpawnResult r = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", "list.lst"}, "", [] {
    close(0);
    close(2);
  });
  EXPECT_EQ(r.exit_code(), failure_status(59));
  EXPECT_EQ(r.err, "");
  expect_files(d.path(), {{"in.xyz", input}, {"L1.dat", "HDR\r\n" + rec("L1 0 0", 2)},
                          {"list.lst", "HDR\r\n" + rec("L1 0 0", 2)}});
}

// A list file that is a pipe whose reader leaves early: the next write
// fails (38, "Broken pipe") and the run ends instead of waiting for ever.
TEST(RecordFiles, ListFilePipeWhoseReaderLeaves) {
  TempDir d;
  std::string input = "HDR\n", full = "HDR\r\n";
  for (int i = 0; i < 20000; ++i) {  // more than a pipe holds
    input += "L1 0 " + std::to_string(i) + "\n";
    full += rec("L1 0 " + std::to_string(i), 2);
  }
  write_file(d.file("in.xyz"), input);
  ASSERT_EQ(mkfifo(d.file("list.fifo").c_str(), 0666), 0);
  FifoReader reader(d.file("list.fifo"), 100);
  SpawnResult r = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", "list.fifo"});
  EXPECT_EQ(r.term_signal(), 0) << "ended by signal " << r.term_signal();
  EXPECT_EQ(r.exit_code(), failure_status(38));
  EXPECT_EQ(console(r), "");
  expect_err_start(r, system_line("Broken pipe") +
                          report(38, "error during write, unit 11, file " + d.file("list.fifo")));
  EXPECT_EQ(reader.finish(), full.substr(0, 100));
  std::string line_file = read_file(d.file("L1.dat"));
  EXPECT_GT(line_file.size(), 100u);
  EXPECT_EQ(line_file, full.substr(0, line_file.size()));
  EXPECT_TRUE(line_file.ends_with("\r\n"));
}

// A pipe named as the input (standard input by its name), fed in 7-byte
// pieces that cut lines (and their CR LF) apart, each read before the next
// comes: the run reads to its end and every record arrives whole.
TEST(RecordFiles, NamedPipeFedInSmallPieces) {
  TempDir d;
  std::string input = "Header of a piped survey\r\n", line_file = "Header of a piped survey\r\n";
  std::string list = line_file;
  for (int i = 0; i < 60; ++i) {
    std::string line = (i < 30 ? "P1 " : "P2 ") + std::to_string(i) + " 0, note-" + std::string(i % 9, 'n');
    input += line + (i % 4 == 0 ? "\n" : "\r\n");
    std::string out = rec((i < 30 ? "P1 " : "P2 ") + std::to_string(i) + " 0  note-" + std::string(i % 9, 'n'), 1);
    list += out;
    if (i < 30) line_file += out;
  }
  std::string p2_file = "Header of a piped survey\r\n" + list.substr(line_file.size());
  Child run({.args = {"/dev/stdin", "1", "1", "2", "3", "list.lst"}, .cwd = d.path(), .stdin_is = Stdin::pipe});
  for (size_t p = 0; p < input.size(); p += 7) {
    run.feed(input.substr(p, 7));
    ASSERT_TRUE(run.wait_until_read()) << run.so_far().err;
  }
  run.close_input();
  SpawnResult r = run.finish();
  EXPECT_EQ(r.exit_code(), 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(console(r), count_line("P1", 29) + complete(2));
  expect_files(d.path(), {{"P1.dat", line_file}, {"P2.dat", p2_file}, {"list.lst", list}});
}

// A file another run holds, its input a pipe not yet finished, is refused
// to a second run before it writes a byte, as a second connection within
// one run is; the holder goes on, and its files come out as if alone.
TEST(RecordFiles, FileAnotherRunHoldsIsRefused) {
  struct Case {
    const char* name;
    std::string infile, list, refused;
    int unit;
  };
  const Case cases[] = {
      {"list file", "second.xyz", "all.lst", "all.lst", 11},
      {"line file", "second.xyz", " ", "L1.dat", 12},
      {"input", "all.lst", " ", "all.lst", 10},
  };
  const std::string second = "HDR\nL1 5 5\n";
  const std::string held = "HDR\r\n" + rec("L1 0 0", 2);
  const std::string whole = held + rec("L1 0 1", 2) + rec("L1 0 2", 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir d;
    write_file(d.file("second.xyz"), second);
    Child holder({.args = {"/dev/stdin", "1", "1", "2", "3", "all.lst"}, .cwd = d.path(),
                  .input = "HDR\nL1 0 0\nL1 0 1\n", .stdin_is = Stdin::pipe});
    ASSERT_TRUE(holder.wait_until_read());
    ASSERT_TRUE(wait_for_file(d.file("L1.dat"), held));
    SpawnResult r = run_in(d.path(), {c.infile, "1", "1", "2", "3", c.list});
    EXPECT_EQ(r.exit_code(), failure_status(30));
    expect_err_start(r, system_line(kBusyText) + report(30, "open failure, unit " + std::to_string(c.unit) +
                                                                ", file " + d.file(c.refused)));
    EXPECT_EQ(read_file(d.file("all.lst")), held);
    EXPECT_EQ(read_file(d.file("L1.dat")), held);
    holder.feed("L1 0 2\n");
    holder.close_input();
    SpawnResult h = holder.finish();
    EXPECT_EQ(h.exit_code(), 0);
    EXPECT_EQ(h.err, "");
    expect_files(d.path(), {{"all.lst", whole}, {"L1.dat", whole}, {"second.xyz", second}});
  }
}

#endif

// Inputs whose size is a multiple of the read block, or just off it, without
// a final line end: the last line is still a record.
TEST(RecordFiles, BlockSizedInputWithoutFinalLineEnd) {
  for (size_t size : {8191u, 8192u, 8193u, 16384u}) {
    SCOPED_TRACE(size);
    std::string input, expected;
    int i = 0;
    while (input.size() + 30 < size) {
      std::string line = "L1 0 " + std::to_string(i++);
      input += line + "\n";
      expected += rec(line, 2);
    }
    std::string last = "L1 0 " + std::to_string(i) + " ";
    last += std::string(size - input.size() - last.size(), 'z');
    input += last;
    expected += rec(last, 2);
    ASSERT_EQ(input.size(), size);
    TempDir d;
    write_file(d.file("in.xyz"), input);
    SpawnResult r = run_in(d.path(), kNoList);
    EXPECT_EQ(r.exit_code(), 0);
    EXPECT_EQ(console(r), complete(1));
    expect_files(d.path(), {{"in.xyz", input}, {"L1.dat", expected}});
  }
}

}  // namespace
