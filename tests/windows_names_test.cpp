// SPDX-License-Identifier: Apache-2.0
// Windows' rules for names, line-file names and open refusals, on every
// platform.
#include "platform/windows_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::Refusal;

struct LocalCase {
  const char* label;
  std::string name;
  bool local;
};

const LocalCase kLocalCases[] = {
    {"Plain", "L1.dat", true},
    {"Subfolder", "sub\\L1.dat", true},
    {"SubfolderSlash", "sub/L1.dat", true},
    {"DotIdentifier", "..dat", true},
    {"DotDotIdentifier", "...dat", true},
    {"DotFolder", ".\\L1.dat", true},
    {"DotDotInsideName", "a..b.dat", true},
    {"Com10", "COM10.dat", true},
    {"Com0", "COM0.dat", true},
    {"ConPrefix", "CONSOLE.dat", true},
    {"ConinWithoutDollar", "CONIN.dat", true},
    {"Root", "\\x.dat", false},
    {"RootSlash", "/x.dat", false},
    {"UncPrefix", "\\\\server\\share\\x.dat", false},
    {"DotDotBackslash", "..\\x.dat", false},
    {"DotDotSlash", "a/../b.dat", false},
    {"DotDotLast", "a\\..", false},
    {"DotDotMixed", "a/..\\b.dat", false},
    {"DotDotWithBlank", "a\\.. \\b.dat", false},
    {"ThreeDots", "...\\b.dat", false},
    {"Drive", "C:x.dat", false},
    {"Stream", "L1:s.dat", false},
    {"ColonLast", "L1.dat:", false},
    {"Con", "CON", false},
    {"ConLowerWithExtension", "con.dat", false},
    {"ConBlankBeforeExtension", "Con .dat", false},
    {"BlankBeforeCon", " CON.dat", false},
    {"NulTwoExtensions", "NUL.x.dat", false},
    {"NulTrailingDot", "nul.", false},
    {"Com1", "COM1.dat", false},
    {"ComSuperscriptOne", "COM\xB9.dat", false},
    {"Lpt1InFolder", "sub\\lpt1.dat", false},
    {"DeviceAsFolder", "nul/x.dat", false},
    {"Conin", "CONIN$.dat", false},
};

void PrintTo(const LocalCase& c, std::ostream* os) { *os << c.label; }

class WindowsLocalName : public testing::TestWithParam<LocalCase> {};

TEST_P(WindowsLocalName, StaysInCurrentFolder) {
  EXPECT_EQ(windows_names::is_local_name(GetParam().name), GetParam().local);
}

INSTANTIATE_TEST_SUITE_P(Names, WindowsLocalName, testing::ValuesIn(kLocalCases),
                         [](const auto& info) { return std::string(info.param.label); });

struct RefusalCase {
  platform::ErrorCode error;
  Refusal refusal;
};

// The Windows error codes by their winerror.h names.
const RefusalCase kRefusalCases[] = {
    {2, Refusal::not_found},         // ERROR_FILE_NOT_FOUND
    {3, Refusal::not_found},         // ERROR_PATH_NOT_FOUND
    {267, Refusal::not_found},       // ERROR_DIRECTORY
    {5, Refusal::access_refused},    // ERROR_ACCESS_DENIED
    {19, Refusal::access_refused},   // ERROR_WRITE_PROTECT
    {123, Refusal::bad_name},        // ERROR_INVALID_NAME
    {161, Refusal::bad_name},        // ERROR_BAD_PATHNAME
    {206, Refusal::bad_name},        // ERROR_FILENAME_EXCED_RANGE
    {15, Refusal::no_device},        // ERROR_INVALID_DRIVE
    {21, Refusal::no_device},        // ERROR_NOT_READY
    {53, Refusal::no_device},        // ERROR_BAD_NETPATH
    {67, Refusal::no_device},        // ERROR_BAD_NET_NAME
    {4, Refusal::too_many_files},    // ERROR_TOO_MANY_OPEN_FILES
    {32, Refusal::other},            // ERROR_SHARING_VIOLATION
    {33, Refusal::other},            // ERROR_LOCK_VIOLATION
    {112, Refusal::other},           // ERROR_DISK_FULL
    {1, Refusal::other},             // ERROR_INVALID_FUNCTION
};

TEST(WindowsRefusal, EachCodeHasItsRefusal) {
  for (const RefusalCase& c : kRefusalCases)
    EXPECT_EQ(windows_names::classify(c.error), c.refusal) << "error " << c.error;
}

// The longest name the ANSI file API takes is MAX_PATH (260) less its NUL;
// a NUL inside would end the name there.
TEST(WindowsNameLength, OnlyNamesTheFileApiTakesWhole) {
  const std::string longest = "C:\\" + std::string(256, 'a');
  EXPECT_TRUE(windows_names::taken_whole(longest));
  EXPECT_FALSE(windows_names::taken_whole(longest + "a"));
  EXPECT_FALSE(windows_names::taken_whole(std::string(65538, 'L')));  // would wrap to 2 characters
  EXPECT_FALSE(windows_names::taken_whole(std::string("C:\\xy\0ab.dat", 12)));
}

struct AbsoluteCase {
  const char* label;
  std::string name;
  std::string current;
  std::string absolute;
};

const AbsoluteCase kAbsoluteCases[] = {
    {"Relative", "L1.dat", "C:\\run", "C:\\run\\L1.dat"},
    {"InDriveRoot", "L1.dat", "C:\\", "C:\\L1.dat"},
    {"NulKept", std::string("xy\0ab.dat", 9), "Z:\\tmp", std::string("Z:\\tmp\\xy\0ab.dat", 16)},
    {"SlashesBecomeBackslashes", "sub/L1.dat", "C:\\run", "C:\\run\\sub\\L1.dat"},
    {"DotsResolved", ".\\a\\..\\b\\.\\c.dat", "C:\\run", "C:\\run\\b\\c.dat"},
    {"DotDotStopsAtRoot", "..\\..\\..\\x", "C:\\run", "C:\\x"},
    {"RepeatedSeparators", "a\\\\b//c", "C:\\run", "C:\\run\\a\\b\\c"},
    {"DriveAbsolute", "D:\\data\\..\\x.lst", "C:\\run", "D:\\x.lst"},
    {"DriveRelativeSameDrive", "c:x.lst", "C:\\run", "C:\\run\\x.lst"},
    {"DriveRelativeOtherDrive", "D:x.lst", "C:\\run", "D:\\x.lst"},
    {"RootedOnDrive", "\\x.lst", "C:\\run\\in", "C:\\x.lst"},
    {"RootedOnShare", "/x.lst", "\\\\srv\\share\\run", "\\\\srv\\share\\x.lst"},
    {"ShareKeptWhole", "//srv/share/a/../x", "C:\\run", "\\\\srv\\share\\x"},
    {"Device", "\\\\.\\CON", "C:\\run", "\\\\.\\CON"},
};

void PrintTo(const AbsoluteCase& c, std::ostream* os) { *os << c.label; }

class WindowsLexicalName : public testing::TestWithParam<AbsoluteCase> {};

TEST_P(WindowsLexicalName, IsMadeAbsoluteAsText) {
  EXPECT_EQ(windows_names::absolute_lexically(GetParam().name, GetParam().current), GetParam().absolute);
}

INSTANTIATE_TEST_SUITE_P(Names, WindowsLexicalName, testing::ValuesIn(kAbsoluteCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
