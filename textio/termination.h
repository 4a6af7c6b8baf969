// SPDX-License-Identifier: Apache-2.0
// How a run ends: every ending closes every unit once and then ends the
// process; tests and fuzz targets replace that last step.
#pragma once

// Called with the exit status word instead of ending the process; a hook
// must not return (a test hook throws).
using EndHook = void (*)(unsigned status);
void set_end_hook(EndHook hook);

[[noreturn]] void end_process(unsigned status);

// Closes units 10, 11 and 12 if still connected; a second call does nothing.
// A close that fails ends the run with failure 28 for that unit, unless
// called from a signal handler, which only closes.
void close_all_units(bool from_signal_handler);

// Normal end and the run driver's two stops. The stops end with status 1:
// a script must see that nothing was done.
[[noreturn]] void end_run(unsigned status);
[[noreturn]] void stop_with_message(const char* text, unsigned long n);
[[noreturn]] void stop_without_message();
