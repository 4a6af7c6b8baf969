// SPDX-License-Identifier: Apache-2.0
// The run driver: banner, usage text, the six run parameters from the
// command arguments or from prompts, the existence check, validation.
#pragma once
#include <cstdint>

#include "textio/fixed_text.h"

struct RunParameters {
  Text80 infile;
  int32_t nHead = 0;
  int32_t LineCol = 0;
  int32_t XCol = 0;
  int32_t YCol = 0;
  Text80 lstfil;
  int32_t last_column = 0;  // the largest of the three columns
};

// Returns validated parameters, or stops the run (missing input, invalid
// number) with exit status 1.
RunParameters run_driver(int argc, const char* const* argv);
