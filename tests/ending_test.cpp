// SPDX-License-Identifier: Apache-2.0
// The report line, and the closing of all units at the end of a run.
#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "endings/ending.h"
#include "endings/report_line.h"
#include "endings/run_state.h"
#include "tests/run_ending.h"

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
  void TearDown() override { prepare_run_for_test(); }
  // Connects a unit to an open descriptor of /dev/null, or to one that no
  // file can have, whose close fails.
  static int connect(FileUnit unit, bool closable) {
    int fd = closable ? open("/dev/null", O_RDONLY | O_CLOEXEC) : -1;
    Connection& c = connection(unit);
    c.handle = fd;
    c.connected = true;
    return fd;
  }
};

TEST_F(Ending, ClosesEveryUnitOnce) {
  int fd = connect(FileUnit::list, true);
  EXPECT_EQ(close_all_units(), std::nullopt);
  EXPECT_FALSE(connection(FileUnit::list).connected);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
  connect(FileUnit::line, false);
  EXPECT_EQ(close_all_units(), std::nullopt);  // a second call does nothing
  EXPECT_TRUE(connection(FileUnit::line).connected);
}

TEST_F(Ending, ACloseThatFailsIsReportedForItsUnitAfterClosingTheRest) {
  connect(FileUnit::input, true);
  connect(FileUnit::list, false);
  int line = connect(FileUnit::line, true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_status([] { end_run(0); }), failure(Failure::close_error));
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(report.substr(0, report.find('\n') + 1), "runlib: severe (28): CLOSE error, unit 11, file \r\r\n");
  EXPECT_EQ(fcntl(line, F_GETFD), -1);
  EXPECT_FALSE(connection(FileUnit::line).connected);
}

}  // namespace
