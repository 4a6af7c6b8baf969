// SPDX-License-Identifier: Apache-2.0
// The platform layer: which refusal a real refused open is classified as.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

using platform::Refusal;

struct RefusalCase {
  const char* label;
  std::string name;  // "$DIR/" stands for a scratch directory holding "file"
  bool for_writing;
  Refusal refusal;
};

const RefusalCase kRefusalCases[] = {
    {"MissingFile", "$DIR/missing", false, Refusal::not_found},
    {"MissingDirectory", "$DIR/missing/x", true, Refusal::not_found},
    {"FileAsDirectory", "$DIR/file/x", false, Refusal::not_found},
    {"DirectoryForWriting", "$DIR/", true, Refusal::access_refused},
    {"NameTooLong", "$DIR/" + std::string(5000, 'n'), true, Refusal::bad_name},
    {"NulInside", std::string("$DIR/a\0b", 8), true, Refusal::bad_name},
};

TEST(Platform, ClassifiesRefusedOpens) {
  TempDir dir;
  write_file(dir.file("file"), "");
  for (const RefusalCase& c : kRefusalCases) {
    const std::string name = dir.path() + c.name.substr(4);
    platform::Handle h;
    bool read_only;
    platform::ErrorCode error = 0;
    EXPECT_FALSE(c.for_writing ? platform::open_for_writing(name, &h, &read_only, &error)
                               : platform::open_for_reading(name, &h, &error)) << c.label;
    EXPECT_EQ(platform::classify_refusal(error), c.refusal) << c.label << ", error " << error;
  }
}

}  // namespace
