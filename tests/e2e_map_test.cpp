// SPDX-License-Identifier: Apache-2.0
// End-to-end: the survey map (--map). A complete run draws the same bytes on
// every platform; any other ending leaves an old map as it was, and no
// temporary file, with the status the run has without a map.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace {

const std::string kData = MAP_DATA_DIR;
const std::string kInput = "survey&'known'.xyz";  // its caption escapes & and '
const std::string kOldMap = "<svg>the map of an earlier run</svg>\n";

bool has_temporary_file(const std::string& dir) {
  std::vector<std::string> names = list_dir(dir);
  return std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.ends_with(".tmp"); });
}

TEST(SurveyMap, SamePictureOnEveryPlatform) {
  TempDir d;
  write_file(d.file(kInput), read_file(kData + "/survey.xyz"));
  SpawnResult r = run_in(d.path(), {"--map", "map.svg", kInput, "1", "1", "2", "3", " "});
  EXPECT_EQ(r.exit_code(), 0) << r.err;
  EXPECT_EQ(read_file(d.file("map.svg")), read_file(kData + "/survey.svg"));
  EXPECT_FALSE(has_temporary_file(d.path()));
}

// A map that cannot be written ends the run before the input is read (its
// third record is bad), one that names a file of the run as a second
// connection to it does. Every file keeps its bytes. The map that may only
// be read is tested as an unprivileged user.
TEST(SurveyMap, UnwritableMapEndsTheRun) {
  struct Case { const char* map; int number, unit; std::string text; };
  const Case cases[] = {
      {"no/map.svg", 29, 13, "file not found"}, {"folder", 9, 13, "permission to access file denied"},
      {"in.xyz", 30, 13, "open failure"},       {"list.lst", 30, 11, "open failure"},
      {"A.dat", 30, 12, "open failure"},        {"old.svg", 47, 13, "write to READONLY file"},
  };
  const std::string input = "HDR\nA 0 0\nA 1 x\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.map);
    TempDir d;
    bool read_only = c.number == 47;
    if (read_only && !permissions_untestable(d.path()).empty()) continue;
    write_file(d.file("in.xyz"), input);
    std::filesystem::create_directory(d.file("folder"));
    for (const char* old : {"A.dat", "old.svg"}) write_file(d.file(old), kOldMap);
    using std::filesystem::perms;
    if (read_only) std::filesystem::permissions(d.file("old.svg"), perms::owner_read | perms::group_read | perms::others_read);
    if (read_only) std::filesystem::permissions(d.path(), perms::all);
    SpawnResult r = run_in(d.path(), {"--map", c.map, "in.xyz", "1", "1", "2", "3", "list.lst"}, "",
                           read_only ? drop_privileges : std::function<void()>{});
    EXPECT_EQ(r.exit_code(), exit_status(c.number));
    std::string line = (c.number == 30 ? "runlib: " + kBusyText + "\r\r\n" : "") +
                       report(c.number, c.text + ", unit " + std::to_string(c.unit) + ", file " + d.file(native(c.map)));
    EXPECT_EQ(r.err.substr(0, line.size()), line);
    Files left{{"in.xyz", input}, {"A.dat", kOldMap}, {"old.svg", kOldMap}};
    if (c.unit == 12) left["list.lst"] = "HDR\r\n";
    expect_files(d.path(), left);
  }
}

// A failure, and an event while the input still comes: the old map as it
// was, no temporary file, and the run ends as it does without a map.
TEST(SurveyMap, FailedRunLeavesOldMap) {
  TempDir d;
  write_file(d.file("in.xyz"), "HDR\nA 0 0\nA 1 1\nA x 2\n");
  write_file(d.file("map.svg"), kOldMap);
  SpawnResult without = run_in(d.path(), {"in.xyz", "1", "1", "2", "3", " "});
  SpawnResult with = run_in(d.path(), {"--map", "map.svg", "in.xyz", "1", "1", "2", "3", " "});
  EXPECT_EQ(with.exit_code(), exit_status(59));
  EXPECT_EQ(with.exit_code(), without.exit_code());
  EXPECT_EQ(with.err, without.err);
  EXPECT_EQ(read_file(d.file("map.svg")), kOldMap);
  EXPECT_FALSE(has_temporary_file(d.path()));
}

#ifndef _WIN32
TEST(SurveyMap, EventLeavesOldMap) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    TempDir d;
    write_file(d.file("map.svg"), kOldMap);
    Child run({.args = {"--map", "map.svg", "/dev/stdin", "1", "1", "2", "3", " "}, .cwd = d.path(),
               .input = "HDR\nA 0 0\nA 1 1\n", .stdin_is = Stdin::pipe});
    ASSERT_TRUE(run.wait_until_read());
    EXPECT_TRUE(has_temporary_file(d.path())) << "made before the input is read";
    run.send(sig);
    run.close_input();
    SpawnResult r = run.finish();
    EXPECT_EQ(r.term_signal(), sig);
    EXPECT_EQ(r.err, sig == SIGINT ? event_report("control-C") : "");
    EXPECT_EQ(read_file(d.file("map.svg")), kOldMap);
    EXPECT_FALSE(has_temporary_file(d.path()));
  }
}
#endif

}  // namespace
