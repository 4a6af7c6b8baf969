// SPDX-License-Identifier: Apache-2.0
// The survey map as an SVG picture: each drawn segment's track in the colour
// of its identifier (one scale for X and Y, X to the right, Y up), its first
// record marked with a dot, the direction of its last step with an arrow
// head, its identifier beside the first record where no other label is; a
// frame with round-number ticks in the data's units, a scale bar, and a
// caption with the input's name and the run's counts.
#pragma once
#include <string>
#include <string_view>

#include "splitting/survey_map.h"

// The colours of the tracks, told apart on white and by colour-blind eyes
// (Okabe and Ito's palette without its yellow); a track takes the one its
// identifier's hash picks.
inline constexpr std::string_view kTrackColours[] = {"#E69F00", "#56B4E9", "#009E73", "#0072B2",
                                                     "#D55E00", "#CC79A7", "#000000"};

// The whole document. `input` is the input's name as the user gave it.
std::string draw_map(const SurveyMap& map, std::string_view input);
