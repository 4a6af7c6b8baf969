// SPDX-License-Identifier: Apache-2.0
// For tests and fuzz targets only, which go through many runs in one process:
// the program itself never includes this header.
#pragma once

// Called with the exit status word instead of ending the process; a hook
// must not return (a test hook throws).
using EndHook = void (*)(unsigned status);
void set_end_hook(EndHook hook);

// Forgets every connection (without closing it), clears the ending flags and
// lets console events through again: the state of a fresh run.
void reset_run_state();
