// SPDX-License-Identifier: Apache-2.0
// The options: the words before the command arguments that begin with "--".
// "--" ends them, and so do --help and --version, which are names there.
#pragma once
#include "splitting/run_parameters.h"

// Fills `options` from argv[1...] and returns the position of the first
// command argument. An unknown option, a missing value or a value given
// twice stops the run with status 2 before anything is written or opened.
int read_options(int argc, const char* const* argv, RunOptions& options);
