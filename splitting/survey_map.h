// SPDX-License-Identifier: Apache-2.0
// The survey map's tracks, collected while the run splits: each segment's
// points through its records' X,Y, under a fixed budget of points and of
// segments, so that the memory stays flat whatever the input.
//
// When the points fill their budget, every other point of every track goes
// (a track keeps the records at multiples of a stride that doubles) but its
// first and last, which stay longest. When the segments fill theirs, every
// other drawn segment goes (the segments at multiples of a stride that
// doubles are drawn). The extent and the counts cover every record.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kMapPointBudget = 65536;
inline constexpr size_t kMapTrackBudget = 4096;  // at most a quarter of the points: two per track
// Coordinates beyond have no place on the map: the frame's ticks must stay
// countable.
inline constexpr double kMapLimit = 1e100;
// The identifier as a label shows it; the colour comes from the whole of it.
inline constexpr size_t kMapLabelBytes = 32;

struct MapPoint {
  double x, y;
};

struct MapTrack {
  std::string label;     // the identifier's first kMapLabelBytes (whole characters)
  bool label_cut;        // the identifier is longer than the label
  uint32_t colour;       // a hash of the whole identifier
  int64_t segment;       // its number in the run, from 0
  size_t first, count;   // its points in SurveyMap::points
};

struct SurveyMap {
  std::vector<MapPoint> points;
  std::vector<MapTrack> tracks;
  int64_t segments = 0;  // every segment of the run
  int64_t records = 0;   // every record of a segment
  // The extent of the records with finite coordinates.
  double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  bool any = false;

  // Records kept are those at multiples of point_mask + 1 in their segment,
  // segments drawn those at multiples of segment_mask + 1 in the run.
  uint64_t point_mask = 0;
  uint64_t segment_mask = 0;

  // The segment being read.
  bool in_segment = false;
  bool drawing = false;     // it is one of those drawn
  uint64_t index = 0;       // of the next record in it
  MapPoint latest{};        // its last record, kept or not
};

// A segment starts with the identifier of its records.
void begin_track(SurveyMap& map, std::string_view id);

// Keeps a record's point (out of line: once per stride).
void keep_point(SurveyMap& map, MapPoint p);

// A record of the current segment. Costs a few compares unless kept.
inline void add_record(SurveyMap& map, double x, double y) {
  if (!map.in_segment) return;  // records before the first named one form no segment
  ++map.records;
  if (!(std::fabs(x) < kMapLimit && std::fabs(y) < kMapLimit)) return;  // nor has an infinity or NaN
  if (!map.any) {
    map.min_x = map.max_x = x;
    map.min_y = map.max_y = y;
    map.any = true;
  }
  if (x < map.min_x) map.min_x = x;
  if (x > map.max_x) map.max_x = x;
  if (y < map.min_y) map.min_y = y;
  if (y > map.max_y) map.max_y = y;
  if (!map.drawing) return;
  map.latest = {x, y};
  if ((map.index++ & map.point_mask) == 0) keep_point(map, map.latest);
}

// The end of the run: the last segment keeps its last record.
void end_tracks(SurveyMap& map);

// How many of the segments are drawn, and of a drawn segment's records are
// kept: every n-th.
inline int64_t segment_stride(const SurveyMap& map) { return static_cast<int64_t>(map.segment_mask) + 1; }
inline int64_t point_stride(const SurveyMap& map) { return static_cast<int64_t>(map.point_mask) + 1; }
