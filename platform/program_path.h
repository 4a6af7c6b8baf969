// SPDX-License-Identifier: Apache-2.0
// Within the platform: the program's own file, which each system finds its
// own way, for the stack walk's reading of the debug information.
#pragma once

namespace platform {

// Null lets the reader of the debug information find it.
const char* program_path();

}  // namespace platform
