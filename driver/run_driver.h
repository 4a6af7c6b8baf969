// SPDX-License-Identifier: Apache-2.0
// The run driver: banner, usage text, the six run parameters from the
// command arguments or from prompts, the existence check, validation.
#pragma once
#include <cstdint>
#include <string>

// The names are kept whole, as given or typed; blank means none.
struct RunParameters {
  std::string infile;
  int32_t nHead = 0;
  int32_t LineCol = 0;
  int32_t XCol = 0;
  int32_t YCol = 0;
  std::string lstfil;
  int32_t last_column = 0;  // the largest of the three columns
};

// Returns validated parameters, or stops the run (missing input, invalid
// number) with exit status 1.
RunParameters run_driver(int argc, const char* const* argv);
