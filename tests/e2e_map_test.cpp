// SPDX-License-Identifier: Apache-2.0
// End-to-end: the survey map (--map). A complete run draws the same bytes on
// every platform; any other ending leaves an old map as it was, and no
// temporary file, with the status the run has without a map.
#include <gtest/gtest.h>
#include <sys/stat.h>
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

void expect_no_temporary_file(const std::string& dir) {
  for (const std::string& name : list_dir(dir)) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

std::vector<std::string> with_map(const std::string& map, const std::vector<std::string>& args) {
  std::vector<std::string> all{"--map", map};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

TEST(SurveyMap, SamePictureOnEveryPlatform) {
  TempDir d;
  write_file(d.file(kInput), read_file(kData + "/survey.xyz"));
  SpawnResult r = run_in(d.path(), with_map("map.svg", {kInput, "1", "1", "2", "3", " "}));
  EXPECT_EQ(r.exit_code(), 0) << r.err;
  EXPECT_EQ(read_file(d.file("map.svg")), read_file(kData + "/survey.svg"));
  expect_no_temporary_file(d.path());
}

// A map that cannot be written ends the run before the input is read (its
// third record is bad); one that names a file of the run is refused as a
// second connection is. Everything but the map's file keeps its bytes.
TEST(SurveyMap, UnwritableMapEndsTheRunAsItsUnit) {
  struct Case {
    const char* map;
    int number, unit;
    std::string text;
  };
  const Case cases[] = {
      {"no/map.svg", 29, 13, "file not found"},
      {"folder", 9, 13, "permission to access file denied"},
      {"in.xyz", 30, 13, "open failure"},
      {"list.lst", 30, 11, "open failure"},
      {"A.dat", 30, 12, "open failure"},
  };
  const std::string input = "HDR\nA 0 0\nA 1 x\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.map);
    TempDir d;
    write_file(d.file("in.xyz"), input);
    std::filesystem::create_directory(d.file("folder"));
    write_file(d.file("A.dat"), kOldMap);
    SpawnResult r = run_in(d.path(), with_map(c.map, {"in.xyz", "1", "1", "2", "3", "list.lst"}));
    EXPECT_EQ(r.exit_code(), failure_status(c.number));
    std::string line = report(c.number, c.text + ", unit " + std::to_string(c.unit) + ", file " + d.file(native(c.map)));
    EXPECT_EQ(r.err.substr(0, r.err.find(line) + line.size()), (c.number == 30 ? "runlib: " + kBusyText + "\r\r\n" : "") + line);
    Files left{{"in.xyz", input}, {"A.dat", kOldMap}};
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
  const std::vector<std::string> args{"in.xyz", "1", "1", "2", "3", " "};
  SpawnResult without = run_in(d.path(), args), with = run_in(d.path(), with_map("map.svg", args));
  EXPECT_EQ(with.exit_code(), failure_status(59));
  EXPECT_EQ(with.exit_code(), without.exit_code());
  EXPECT_EQ(with.err, without.err);
  EXPECT_EQ(read_file(d.file("map.svg")), kOldMap);
  expect_no_temporary_file(d.path());
}

#ifndef _WIN32
TEST(SurveyMap, EventLeavesOldMap) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    TempDir d;
    write_file(d.file("map.svg"), kOldMap);
    Child run({.args = with_map("map.svg", {"/dev/stdin", "1", "1", "2", "3", " "}), .cwd = d.path(),
               .input = "HDR\nA 0 0\nA 1 1\n", .stdin_is = Stdin::pipe});
    ASSERT_TRUE(run.wait_until_read());  // the temporary file is made before the input is read
    std::vector<std::string> names = list_dir(d.path());
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.ends_with(".tmp"); }));
    run.send(sig);
    run.close_input();
    SpawnResult r = run.finish();
    EXPECT_EQ(r.term_signal(), sig);
    EXPECT_EQ(r.err, sig == SIGINT ? event_report("control-C") : "");
    EXPECT_EQ(read_file(d.file("map.svg")), kOldMap);
    expect_no_temporary_file(d.path());
  }
}

// As an unprivileged user: a map that may be read but not written.
TEST(SurveyMap, ReadOnlyMapIsFailure47) {
  TempDir d;
  if (std::string why = permissions_untestable(d.path()); !why.empty()) GTEST_SKIP() << why;
  write_file(d.file("in.xyz"), "HDR\nA 0 0\n");
  write_file(d.file("map.svg"), kOldMap);
  ASSERT_EQ(chmod(d.file("map.svg").c_str(), 0444), 0);
  ASSERT_EQ(chmod(d.path().c_str(), 0777), 0);
  SpawnResult r = run_in(d.path(), with_map("map.svg", {"in.xyz", "1", "1", "2", "3", " "}), "", drop_privileges);
  EXPECT_EQ(r.exit_code(), failure_status(47));
  EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
            "runlib: severe (47): write to READONLY file, unit 13, file " + d.file("map.svg") + "\r\r\n");
  expect_files(d.path(), {{"in.xyz", "HDR\nA 0 0\n"}, {"map.svg", kOldMap}});
}
#endif

}  // namespace
