// SPDX-License-Identifier: Apache-2.0
// The report line, and the closing of all units at the end of a run.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "endings/ending.h"
#include "endings/report_line.h"
#include "endings/ending_flags.h"
#include "tests/run_ending.h"
#include "tests/unit_support.h"
#include "textio/unit_table.h"

namespace {

struct LineCase {
  Severity severity;
  Failure number;
  Unit unit;
  std::string name;
  std::string line;
};

const LineCase kLineCases[] = {
    {Severity::severe, Failure::file_not_found, Unit::input, "/data/in.xyz", "runlib: severe (29): file not found, unit 10, file /data/in.xyz\r\n"},
    {Severity::severe, Failure::syntax_error, Unit::console_input, "CONIN$", "runlib: severe (59): list-directed I/O syntax error, unit -4, file CONIN$\r\n"},
    {Severity::severe, Failure::no_memory, Unit::none, "", "runlib: severe (41): insufficient virtual memory\r\n"},
    {Severity::error, Failure::event_abort, Unit::none, "control-C", "runlib: error (200): program aborting due to control-C event\r\n"},
    {Severity::info, static_cast<Failure>(7), Unit::none, "", "runlib: info (7): Message not found\n"},
};

TEST(ReportLine, IsComposedFromTheCatalogue) {
  for (const LineCase& c : kLineCases) {
    char out[256];
    size_t n = compose_report_line(out, sizeof out, c.severity, c.number, c.unit, c.name);
    EXPECT_EQ(std::string(out, n), c.line);
  }
}

TEST(ReportLine, IsCutAtTheBuffer) {
  char out[10];
  EXPECT_EQ(std::string(out, compose_report_line(out, sizeof out, Severity::severe, Failure::file_not_found, Unit::input, "x")), "runlib: se");
}

class Ending : public ::testing::Test {
 protected:
  void SetUp() override { prepare_run_for_test(); }
  void TearDown() override {
    for (Pipe& pipe : pipes_) close_pipe(pipe);
    prepare_run_for_test();
  }
  // Connects a unit to the write end of a pipe, or to no handle at all,
  // whose close fails; returns the pipe's read end. (A handle that was
  // closed is no proof: the system may hand its value out again at once.)
  platform::Handle connect(FileUnit unit, bool closable) {
    Pipe pipe = closable ? message_pipe() : Pipe{};
    Connection& c = connection(unit);
    c.handle = std::exchange(pipe.write, platform::kNoHandle);
    c.connected = true;
    return pipes_.emplace_back(pipe).read;
  }
  // Whether the unit's close has closed the pipe's write end: its reader
  // sees the end of the data.
  static bool closed(platform::Handle read) {
    char byte;
    size_t got;
    platform::ErrorCode error;
    return platform::read_some(read, &byte, 1, &got, &error) && got == 0;
  }
  std::vector<Pipe> pipes_;
};

TEST_F(Ending, ClosesEveryUnitOnce) {
  platform::Handle h = connect(FileUnit::list, true);
  NamedUnit failed{};
  EXPECT_TRUE(close_all_units(&failed));
  EXPECT_FALSE(connection(FileUnit::list).connected);
  EXPECT_TRUE(closed(h));
  connect(FileUnit::line, false);
  EXPECT_TRUE(close_all_units(&failed));  // a second call does nothing
  EXPECT_TRUE(connection(FileUnit::line).connected);
}

TEST_F(Ending, ACloseThatFailsIsReportedForItsUnitAfterClosingTheRest) {
  connect(FileUnit::input, true);
  connect(FileUnit::list, false);
  platform::Handle line = connect(FileUnit::line, true);
  std::string report = capture_bytes(platform::Stream::error, [] {
    EXPECT_EQ(run_status([] { end_run(0); }), failure(Failure::close_error));
  });
  EXPECT_EQ(report.substr(0, report.find('\n') + 1), "runlib: severe (28): CLOSE error, unit 11, file \r\r\n");
  EXPECT_TRUE(closed(line));
  EXPECT_FALSE(connection(FileUnit::line).connected);
}

}  // namespace
