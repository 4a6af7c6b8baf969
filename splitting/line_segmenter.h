// SPDX-License-Identifier: Apache-2.0
// The line segmenter: groups consecutive records of one survey line into a
// segment, writes each segment to "<line>.dat" after the header lines, tags
// every record with the direction of the step to the next one, copies
// everything to the optional list file and reports progress.
#pragma once
#include "splitting/run_parameters.h"

// Performs the whole run and writes the summary.
void segment_lines(const RunParameters& parameters);
