// SPDX-License-Identifier: Apache-2.0
// End-to-end: the README's worked example gives the same bytes on every
// platform (standard output, standard error, every file), kept in
// tests/data/example; only the banner's version row names the platform. Its
// survey map is the README's picture, examples/survey.svg.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e_support.h"

namespace {

const std::string kExpected = EXAMPLE_OUTPUT_DIR;
const std::string kVersionLead = "*               Version ";

TEST(ReadmeExample, SameBytesOnEveryPlatform) {
  TempDir dir;
  const std::string examples = dir.file("examples"), run = dir.file("run");
  std::filesystem::create_directory(examples);
  std::filesystem::create_directory(run);
  write_file(examples + kDirSeparator + "survey.xyz", read_file(EXAMPLE_INPUT));
  SpawnResult r = run_in(run, {"--map", "survey.svg", "../examples/survey.xyz", "1", "1", "2", "3", "survey.lst"});

  std::string out = read_file(kExpected + "/stdout");
  size_t row = out.find(kVersionLead);
  ASSERT_NE(row, std::string::npos);
  out.replace(row, 44, version_row());
  EXPECT_EQ(r.out, out);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_code(), 0);
  Files files;
  for (const char* name : {"L100.dat", "L200.dat", "L300.dat", "survey.lst"})
    files[name] = read_file(kExpected + "/" + name);
  files["survey.svg"] = read_file(EXAMPLE_MAP);
  expect_files(run, files);
}

}  // namespace
