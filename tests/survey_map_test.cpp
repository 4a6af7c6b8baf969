// SPDX-License-Identifier: Apache-2.0
// The survey map's budget (memory flat whatever the input, thinned evenly,
// each segment's first and last record kept) and the text it is written in.
#include "splitting/survey_map.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "splitting/map_drawing.h"
#include "textio/xml_text.h"

namespace {

// Segments of `records` records each, record r of segment s at (r, s).
SurveyMap survey(int segments, int records) {
  SurveyMap m;
  for (int s = 0; s < segments; ++s) {
    begin_track(m, "L" + std::to_string(s));
    for (int r = 0; r < records; ++r) add_record(m, r, s);
  }
  end_tracks(m);
  return m;
}

TEST(SurveyMap, ManySegmentsAreThinnedEvenlyKeepingFirstAndLast) {
  struct Case {
    int segments, records;
    int64_t segment_stride, point_stride;
  };
  for (Case c : {Case{100000, 10, 32, 1}, Case{1000, 1000, 1, 16}, Case{1, 1000001, 1, 16}}) {
    SCOPED_TRACE(c.segments);
    SurveyMap m = survey(c.segments, c.records);
    EXPECT_EQ(m.records, int64_t{c.segments} * c.records);
    EXPECT_LE(m.points.size(), kMapPointBudget);
    EXPECT_EQ(std::pair(segment_stride(m), point_stride(m)), std::pair(c.segment_stride, c.point_stride));
    ASSERT_EQ(m.tracks.size(), (c.segments + c.segment_stride - 1) / c.segment_stride);
    for (size_t k = 0; k < m.tracks.size(); ++k) {
      const MapTrack& t = m.tracks[k];
      ASSERT_EQ(t.segment, static_cast<int64_t>(k) * c.segment_stride);
      ASSERT_EQ(t.label, "L" + std::to_string(t.segment));
      // Every stride-th record, then the last.
      ASSERT_EQ(t.count, static_cast<size_t>((c.records - 2) / c.point_stride + 2));
      for (size_t i = 0; i < t.count; ++i)
        ASSERT_EQ(m.points[t.first + i].x, i + 1 < t.count ? i * c.point_stride : c.records - 1);
    }
  }
}

// Records before the first segment, and coordinates that have no place.
TEST(SurveyMap, ExtentCoversEveryRecordWithAPlace) {
  SurveyMap m;
  add_record(m, -1e6, 5);
  begin_track(m, std::string(40, 'x') + "\xC3\xA9");
  for (double x : {1.0, std::numeric_limits<double>::infinity(), -3.0, 1e100}) add_record(m, x, x + 4);
  end_tracks(m);
  EXPECT_EQ(m.records, 4);
  EXPECT_EQ(std::vector<double>({m.min_x, m.max_x, m.min_y, m.max_y}), std::vector<double>({-3, 1, 1, 5}));
  EXPECT_EQ(std::pair(m.tracks[0].label, m.tracks[0].label_cut), std::pair(std::string(32, 'x'), true));
}

// Records closer together than any scale could show (one place, or a few
// subnormal numbers apart) still give a frame of countable ticks.
TEST(MapDrawing, RecordsCloserThanAnyScaleGiveAFrame) {
  for (double at : {0.0, 1e-300, -5e-320}) {
    SCOPED_TRACE(at);
    SurveyMap m;
    begin_track(m, "L1");
    add_record(m, at, at);
    add_record(m, 2 * at, at);
    end_tracks(m);
    std::string svg = draw_map(m, "in.xyz");
    EXPECT_LT(svg.size(), 8000u);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
  }
}

TEST(XmlText, EscapesAndNumbers) {
  const std::pair<std::string, std::string> texts[] = {
      {"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
      {std::string("t\tn\x01\x7F", 5) + std::string(1, '\0'), "t\\x09n\\x01\\x7F\\x00"},
      {"\xC3\xA9t\xE9 \xEF\xBF\xBE \xED\xA0\x80 \xC0\xAF \xF0\x9F\x97\xBA",
       "\xC3\xA9t\\xE9 \\xEF\\xBF\\xBE \\xED\\xA0\\x80 \\xC0\\xAF \xF0\x9F\x97\xBA"},
  };
  for (const auto& [in, want] : texts) {
    std::string out;
    append_xml_text(out, in);
    EXPECT_EQ(out, want);
  }
  const std::tuple<int64_t, int, std::string> numbers[] = {
      {0, -3, "0"},         {125, -1, "12.5"}, {-5, -3, "-0.005"}, {1200, -2, "12"},
      {25, 4, "250000"},    {2, 13, "2e13"},   {5, -13, "5e-13"},  {-4231000, 0, "-4231000"},
  };
  for (const auto& [mantissa, exponent, want] : numbers) {
    std::string out;
    append_scaled(out, mantissa, exponent);
    EXPECT_EQ(out, want) << mantissa << "e" << exponent;
  }
}

}  // namespace
