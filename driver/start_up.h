// SPDX-License-Identifier: Apache-2.0
// Run-time conditions set before anything else runs.
#pragma once

// Masks every floating-point exception, ignores SIGPIPE (a write to a closed
// pipe then fails and is reported), installs the console event handlers and
// makes a failed allocation end the run with failure 41.
void start_up();
