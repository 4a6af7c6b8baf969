// SPDX-License-Identifier: Apache-2.0
// File names as the file system sees them, and the existence check.
#include "textio/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace {

std::string cwd() { return std::filesystem::current_path().string(); }

// The current directory as the prefix of a name below it ("" for "/",
// "C:" for "C:\").
std::string base() {
  std::string c = cwd();
  return c.back() == kDirSeparator ? c.substr(0, c.size() - 1) : c;
}

std::string parent() { return base().substr(0, base().rfind(kDirSeparator)); }

// A name written with '/' as the platform resolves it: a rooted one on the
// current directory's drive on Windows.
std::string resolved(const std::string& name) {
  const bool on_drive = kDirSeparator == '\\' && name.starts_with('/');
  return (on_drive ? cwd().substr(0, 2) : "") + native(name);
}

struct NameCase {
  const char* name;
  std::string given;
  std::string expected;
};

std::vector<NameCase> name_cases() {
  const std::string b = base();
  std::vector<NameCase> cases = {
      {"Relative", "data.xyz", b + "/data.xyz"},
      {"LeadingAndTrailingBlanks", "   data.xyz    ", b + "/data.xyz"},
      {"TrailingNuls", std::string("data.xyz\0\0", 10), b + "/data.xyz"},
      {"TrailingBlanksAndNulsMixed", std::string("data.xyz \0 \0", 12), b + "/data.xyz"},
      {"InnerBlankKept", "my data.xyz", b + "/my data.xyz"},
      {"FixedTextPaddedTo80", (std::string("L1.dat") + std::string(74, ' ')), b + "/L1.dat"},
      {"Absolute", "/tmp/x.dat", "/tmp/x.dat"},
      {"AbsoluteWithBlanks", "  /tmp/x.dat ", "/tmp/x.dat"},
      {"DotComponents", "./a/./b.dat", b + "/a/b.dat"},
      {"DotDotComponent", "a/../b.dat", b + "/b.dat"},
      {"LeadingDotDot", "../b.dat", parent() + "/b.dat"},
      {"AbsoluteDotDot", "/tmp/a/../b/./c", "/tmp/b/c"},
      {"DotDotAboveRoot", "/../../x", "/x"},
      {"SubdirectoryKept", "sub/L1.dat", b + "/sub/L1.dat"},
      {"Empty", "", ""},
      {"Blank", "     ", ""},
      {"Blank80", std::string(80, ' '), ""},
      {"OnlyNuls", std::string(3, '\0'), ""},
      {"BlankThenNul", std::string(" \0", 2), ""},
      {"BlanksAndNulsMixed", std::string("  \0 \0  ", 8), ""},
      {"NulThenNameKept", std::string(" \0x", 3), b + "/" + std::string("\0x", 2)},
      // no length counts: nothing is cut, however long
      {"NameAfter256LeadingBlanks", std::string(256, ' ') + "late.dat", b + "/late.dat"},
      {"InnerBlankAfter256Kept", "/" + std::string(254, 'a') + " tail", "/" + std::string(254, 'a') + " tail"},
      {"LongerThan256Whole", "/" + std::string(300, 'n'), "/" + std::string(300, 'n')},
  };
  for (NameCase& c : cases) c.expected = resolved(c.expected);
  return cases;
}

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class ResolveName : public testing::TestWithParam<NameCase> {};

TEST_P(ResolveName, Resolves) { EXPECT_EQ(resolve_name(GetParam().given), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Given, ResolveName, testing::ValuesIn(name_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResolveNameLimit, AbsoluteFormIsUsedWhateverItsLength) {
  const std::string b = base();
  ASSERT_LT(b.size(), 200u) << "test needs a short current directory";
  std::string fits(255 - b.size(), 'f');  // base + "/" + name = 256 characters
  EXPECT_EQ(resolve_name(fits), b + kDirSeparator + fits);
  std::string longer(256 - b.size(), 'g');  // 257 characters when absolute
  EXPECT_EQ(resolve_name("  " + longer + "  "), b + kDirSeparator + longer);
  std::string beyond_path_max(5000, 'p');
  EXPECT_EQ(resolve_name(beyond_path_max), b + kDirSeparator + beyond_path_max);
  // The length that counts is that of the resolved form.
  std::string shrinks = "x/../" + std::string(254 - b.size(), 'h');
  EXPECT_EQ(resolve_name(shrinks), b + kDirSeparator + std::string(254 - b.size(), 'h'));
}

TEST(NameExists, AnyKindOfEntry) {
  TempDir dir;
  const std::string file = dir.file("file.xyz");
  write_file(file, "");
  EXPECT_TRUE(file_exists(file));
  EXPECT_TRUE(file_exists("  " + file + "  "));
  EXPECT_TRUE(file_exists(dir.path()));
  EXPECT_TRUE(file_exists(kDirSeparator == '/' ? "/dev/null" : "NUL"));
  EXPECT_FALSE(file_exists(dir.file("missing.xyz")));
  EXPECT_FALSE(file_exists(dir.path() + "/missing/file.xyz"));
  EXPECT_FALSE(file_exists("   "));
  EXPECT_FALSE(file_exists(""));
}

}  // namespace
