// SPDX-License-Identifier: Apache-2.0
// What a run splits and how: the six run parameters, validated by the run
// driver before the segmenter gets them, and the options a script gives.
#pragma once
#include <cstdint>
#include <string>

// The options before the command arguments. Off, or empty, by default.
struct RunOptions {
  bool quiet = false;     // nothing on standard output but the prompts and validation messages
  bool strict = false;    // a coordinate field must be a decimal number
  bool buffered = false;  // whole records per write, many at a time
  std::string output_dir;  // where the line files go; empty: the current folder
  std::string map;         // the survey map's file; empty: none
};

// The names are kept whole, as given or typed; blank means none.
struct RunParameters {
  std::string infile;
  int32_t nHead = 0;
  int32_t LineCol = 0;
  int32_t XCol = 0;
  int32_t YCol = 0;
  std::string lstfil;
  RunOptions options;
};
