// SPDX-License-Identifier: Apache-2.0
// Console events: SIGINT is the interrupt (control-C), SIGQUIT the break
// (control-BREAK), SIGHUP the close of the terminal (window-CLOSE). Each is
// reported, every unit is closed, and the process ends by the signal itself
// so that a calling shell sees that it was interrupted.
#pragma once

// Installs the handlers, except for signals that were ignored at start
// (nohup, background jobs): those stay ignored.
void install_console_event_handlers();

// Holds the three signals back (and lets them through again) while a failure
// is reported.
void block_console_events();
void unblock_console_events();

// Holds the three signals and SIGTERM back across a file's first record and
// the cut-off of its old content, which must not be parted, and then puts
// the signal mask back as it was. (SIGKILL cannot be held.)
void hold_ending_signals();
void release_ending_signals();
