// SPDX-License-Identifier: Apache-2.0
// What a run splits and how: the six run parameters, validated by the run
// driver before the segmenter gets them.
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
};
