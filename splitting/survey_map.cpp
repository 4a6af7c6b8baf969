// SPDX-License-Identifier: Apache-2.0
#include "splitting/survey_map.h"

#include <utility>

namespace {

// FNV-1a: the same identifier gives the same colour on every platform and in
// every run.
uint32_t identifier_hash(std::string_view id) {
  uint32_t h = 2166136261u;
  for (char c : id) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

// The label's length: at most kMapLabelBytes, not cutting into a UTF-8
// character (a byte 10xxxxxx continues one).
size_t label_length(std::string_view id) {
  if (id.size() <= kMapLabelBytes) return id.size();
  size_t n = kMapLabelBytes;
  while (n > 0 && (static_cast<unsigned char>(id[n]) & 0xC0) == 0x80) --n;
  return n;
}

void thin_points(SurveyMap& m);

// A segment's last record stays, kept or not (a repeat of the last kept
// point adds nothing).
void close_track(SurveyMap& m) {
  if (!m.drawing) return;
  m.drawing = false;
  MapTrack& t = m.tracks.back();
  if (m.index == 0) return;  // no record with a place on the map
  if (t.count == 0 || m.points.back().x != m.latest.x || m.points.back().y != m.latest.y) {
    m.points.push_back(m.latest);
    ++t.count;
  }
  // Within the room reserved: the points never move to a larger block.
  if (m.points.size() > kMapPointBudget) thin_points(m);
}

// Every other point of each track goes. Its points at multiples of the
// stride sit at even places, so those stay; so does a finished track's last.
void thin_points(SurveyMap& m) {
  m.point_mask = m.point_mask * 2 + 1;
  size_t out = 0;
  for (size_t k = 0; k < m.tracks.size(); ++k) {
    MapTrack& t = m.tracks[k];
    bool open = m.drawing && k + 1 == m.tracks.size();
    size_t first = out;
    for (size_t i = 0; i < t.count; ++i) {
      bool last = !open && i + 1 == t.count;
      if (i % 2 == 0 || last) m.points[out++] = m.points[t.first + i];
    }
    t.first = first;
    t.count = out - first;
  }
  m.points.resize(out);
}

// Every other drawn segment goes, the current one too when its turn is over.
void thin_tracks(SurveyMap& m) {
  m.segment_mask = m.segment_mask * 2 + 1;
  size_t kept = 0, out = 0;
  for (size_t k = 0; k < m.tracks.size(); ++k) {
    MapTrack& t = m.tracks[k];
    if (static_cast<uint64_t>(t.segment) & m.segment_mask) {
      if (k + 1 == m.tracks.size()) m.drawing = false;
      continue;
    }
    for (size_t i = 0; i < t.count; ++i) m.points[out + i] = m.points[t.first + i];
    t.first = out;
    out += t.count;
    if (kept != k) m.tracks[kept] = std::move(t);
    ++kept;
  }
  m.tracks.resize(kept);
  m.points.resize(out);
}

}  // namespace

void begin_track(SurveyMap& m, std::string_view id) {
  close_track(m);
  if (m.segments == 0) {
    m.points.reserve(kMapPointBudget + 1);
    m.tracks.reserve(kMapTrackBudget + 1);
  }
  int64_t segment = m.segments++;
  m.in_segment = true;
  m.index = 0;
  m.drawing = (static_cast<uint64_t>(segment) & m.segment_mask) == 0;
  if (!m.drawing) return;
  size_t n = label_length(id);
  m.tracks.push_back({std::string{id.substr(0, n)}, n < id.size(), identifier_hash(id), segment,
                      m.points.size(), 0});
  if (m.tracks.size() > kMapTrackBudget) thin_tracks(m);
}

void keep_point(SurveyMap& m, MapPoint p) {
  m.points.push_back(p);
  ++m.tracks.back().count;
  if (m.points.size() > kMapPointBudget) thin_points(m);
}

void end_tracks(SurveyMap& m) {
  close_track(m);
  m.in_segment = false;
}
