// SPDX-License-Identifier: Apache-2.0
// The POSIX platform layer: which errno values give which refusal of an open.
#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

struct RefusalCase {
  platform::ErrorCode error;
  platform::Refusal refusal;
};

const RefusalCase kRefusalCases[] = {
    {ENOENT, platform::Refusal::not_found},      {ENOTDIR, platform::Refusal::not_found},
    {EACCES, platform::Refusal::access_refused}, {EPERM, platform::Refusal::access_refused},
    {EROFS, platform::Refusal::access_refused},  {EISDIR, platform::Refusal::access_refused},
    {ENAMETOOLONG, platform::Refusal::bad_name}, {EINVAL, platform::Refusal::bad_name},
    {EILSEQ, platform::Refusal::bad_name},       {ENXIO, platform::Refusal::no_device},
    {ENODEV, platform::Refusal::no_device},      {EMFILE, platform::Refusal::too_many_files},
    {ENFILE, platform::Refusal::too_many_files}, {EBUSY, platform::Refusal::other},
    {EIO, platform::Refusal::other},             {ELOOP, platform::Refusal::other},
};

TEST(PosixPlatform, ClassifiesRefusedOpens) {
  for (const RefusalCase& c : kRefusalCases)
    EXPECT_EQ(platform::classify_refusal(c.error), c.refusal) << strerror(c.error);
}

TEST(PosixPlatform, ANameWithANulIsABadName) {
  platform::Opened o = platform::open_for_writing(std::string("a\0b", 3));
  EXPECT_EQ(o.handle, platform::kNoHandle);
  EXPECT_EQ(o.refusal, platform::Refusal::bad_name);
}

}  // namespace
