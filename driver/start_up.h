// SPDX-License-Identifier: Apache-2.0
// Run-time conditions set before anything else runs.
#pragma once

// Occupies closed standard streams, masks every floating-point exception,
// ignores SIGPIPE and SIGXFSZ (a write to a closed pipe or beyond the
// file-size limit then fails and is reported), installs the console event
// handlers and makes a failed allocation end the run with failure 41.
void start_up();
