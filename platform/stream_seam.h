// SPDX-License-Identifier: Apache-2.0
// For tests only, which catch what the program writes to its standard
// streams: the program itself never includes this header.
#pragma once
#include "platform/platform.h"

namespace platform {

// Makes `h` the handle of `stream` until it is put back; returns the handle
// it replaces.
Handle replace_standard_stream(Stream stream, Handle h);

}  // namespace platform
