// SPDX-License-Identifier: Apache-2.0
// The run driver: banner, usage text, the six run parameters from the
// command arguments or from prompts, the existence check, validation.
#pragma once
#include "splitting/run_parameters.h"

// Returns validated parameters, or stops the run (missing input, invalid
// number) with exit status 1. A sole argument --help (the banner and usage
// text) or --version (one line) ends the run with status 0.
RunParameters run_driver(int argc, const char* const* argv);
