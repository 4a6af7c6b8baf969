// SPDX-License-Identifier: Apache-2.0
// Segmentor: splits a survey data file into one file per survey line.
#include "driver/run_driver.h"
#include "endings/ending.h"
#include "splitting/line_segmenter.h"
#include "textio/record_files.h"

int main(int argc, char** argv) {
  start_run();
  start_record_files();
  RunParameters parameters = run_driver(argc, argv);
  segment_lines(parameters);
  end_run(0);
}
