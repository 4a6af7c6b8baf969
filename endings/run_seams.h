// SPDX-License-Identifier: Apache-2.0
// For tests and fuzz targets only, which go through many runs in one process:
// the program itself never includes this header.
#pragma once

// Called with the exit status word instead of ending the process; a hook
// must not return (a test hook throws).
using EndHook = void (*)(unsigned status);
void set_end_hook(EndHook hook);

// Clears the ending flags: the state of a fresh run. (A hold of console
// events ends with the scope that the hook's throw leaves.)
void reset_ending_flags();
