// SPDX-License-Identifier: Apache-2.0
// Every number of the picture is computed with IEEE arithmetic alone (no
// pow, log or formatting of the C library, whose results differ between
// platforms) and written as fixed-point text, so that every platform draws
// the same bytes.
#include "splitting/map_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "textio/xml_text.h"

namespace {

// The picture and the frame inside it, in SVG pixels.
constexpr int kWidth = 1000;
constexpr int kHeight = 800;
constexpr double kLeft = 100, kTop = 30, kRight = 970, kBottom = 680;
constexpr double kMargin = 0.05;        // of the data's span, on each side
// The least span drawn: the mirror of the largest coordinate drawn, so that
// the scale stays finite however close the records lie.
constexpr double kLeastSpan = 1 / kMapLimit;
constexpr double kTicksAcross = 8;      // about as many X ticks; Y takes the same step
constexpr double kTickLength = 6;
constexpr double kDotRadius = 3;
constexpr double kArrowLength = 10, kArrowHalfWidth = 4;
// One label per cell of a coarse grid, so that labels never pile up.
constexpr double kCellWidth = 40, kCellHeight = 16;
constexpr double kFontSize = 12;
constexpr double kCharWidth = 7;        // of the font, about
constexpr double kLabelOffset = 5;      // from the first record, right and up
constexpr double kScaleBarY = 725, kCaptionY = 760, kLineSpacing = 18;

// 10^e by multiplication alone: exact up to 10^22, the same everywhere.
double power_of_ten(int e) {
  double p = 1;
  for (int i = 0; i < (e < 0 ? -e : e); ++i) p *= 10;
  return e < 0 ? 1 / p : p;
}

// A round step: 1, 2 or 5 times 10^e, the smallest not below `least`.
struct Step {
  int64_t m;
  int e;
  double value;
};

Step round_step(double least) {
  int e = 0;
  while (power_of_ten(e + 1) <= least) ++e;
  while (power_of_ten(e) > least) --e;
  for (int64_t m : {1, 2, 5}) {
    double value = static_cast<double>(m) * power_of_ten(e);
    if (value >= least) return {m, e, value};
  }
  return {1, e + 1, power_of_ten(e + 1)};
}

// The data in the frame: one scale for both axes, the records' extent
// centred, with a margin around it.
struct View {
  double x0, y0;  // the data at the frame's lower left corner
  double scale;   // pixels per data unit
  double px(double x) const { return kLeft + (x - x0) * scale; }
  double py(double y) const { return kBottom - (y - y0) * scale; }
  double x1() const { return x0 + (kRight - kLeft) / scale; }
  double y1() const { return y0 + (kBottom - kTop) / scale; }
};

View fit(const SurveyMap& m) {
  double x0 = m.any ? m.min_x : 0, x1 = m.any ? m.max_x : 0;
  double y0 = m.any ? m.min_y : 0, y1 = m.any ? m.max_y : 0;
  double sx = x1 - x0, sy = y1 - y0;
  // A span too small for its numbers' precision (one point, or a line along
  // an axis) is widened, so that the ticks stay countable.
  double big = std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1)});
  double least = std::max(big * 1e-9, kLeastSpan);
  if (std::max(sx, sy) < least) sx = sy = least;
  double pad = 1 + 2 * kMargin;
  double scale_x = sx > 0 ? (kRight - kLeft) / (sx * pad) : INFINITY;
  double scale_y = sy > 0 ? (kBottom - kTop) / (sy * pad) : INFINITY;
  double scale = std::min(scale_x, scale_y);
  return {(x0 + x1) / 2 - (kRight - kLeft) / 2 / scale, (y0 + y1) / 2 - (kBottom - kTop) / 2 / scale, scale};
}

// A pixel coordinate to a tenth.
void put(std::string& out, double v) { append_scaled(out, static_cast<int64_t>(std::floor(v * 10 + 0.5)), -1); }

void put_point(std::string& out, double x, double y) {
  put(out, x);
  out += ',';
  put(out, y);
}

void put_attribute(std::string& out, const char* name, double v) {
  out += ' ';
  out += name;
  out += "=\"";
  put(out, v);
  out += '"';
}

// "<text", its own attributes, its place, and ">".
void open_text(std::string& out, double x, double y, std::string_view attributes = {}) {
  out += "<text";
  out += attributes;
  put_attribute(out, "x", x);
  put_attribute(out, "y", y);
  out += '>';
}

std::string_view colour_of(const MapTrack& t) { return kTrackColours[t.colour % std::size(kTrackColours)]; }

void put_label(std::string& out, const MapTrack& t) {
  append_xml_text(out, t.label);
  if (t.label_cut) out += "...";
}

// The frame, its ticks along the bottom (X) and the left (Y) with their
// values, and the scale bar: one tick step long.
void draw_frame(std::string& out, const View& v) {
  Step step = round_step((v.x1() - v.x0) / kTicksAcross);
  std::string marks, values;
  auto ticks = [&](double from, double to, bool x_axis) {
    for (int64_t k = static_cast<int64_t>(std::ceil(from / step.value));
         static_cast<double>(k) * step.value <= to; ++k) {
      double at = static_cast<double>(k) * step.value;
      double p = x_axis ? v.px(at) : v.py(at);
      marks += 'M';
      if (x_axis) {
        put_point(marks, p, kBottom);
        marks += 'v';
      } else {
        put_point(marks, kLeft, p);
        marks += 'h';
        marks += '-';
      }
      put(marks, kTickLength);
      if (x_axis) {
        open_text(values, p, kBottom + kTickLength + 14, " text-anchor=\"middle\"");
      } else {
        open_text(values, kLeft - kTickLength - 3, p + 4, " text-anchor=\"end\"");
      }
      append_scaled(values, k * step.m, step.e);
      values += "</text>\n";
    }
  };
  ticks(v.x0, v.x1(), true);
  ticks(v.y0, v.y1(), false);

  out += "<g fill=\"none\" stroke=\"#666\">\n<rect";
  put_attribute(out, "x", kLeft);
  put_attribute(out, "y", kTop);
  put_attribute(out, "width", kRight - kLeft);
  put_attribute(out, "height", kBottom - kTop);
  out += "/>\n<path d=\"" + marks + "\"/>\n";
  double bar = step.value * v.scale;
  out += "<path stroke=\"#000\" stroke-width=\"2\" d=\"M";
  put_point(out, kLeft, kScaleBarY - 5);
  out += "v10M";
  put_point(out, kLeft, kScaleBarY);
  out += 'h';
  put(out, bar);
  out += "M";
  put_point(out, kLeft + bar, kScaleBarY - 5);
  out += "v10\"/>\n</g>\n<g fill=\"#333\">\n" + values;
  open_text(out, kLeft + bar + 8, kScaleBarY + 4);
  append_scaled(out, step.m, step.e);
  out += "</text>\n</g>\n";
}

// Each track as a line through its points, with its identifier as the
// line's title.
void draw_tracks(std::string& out, const SurveyMap& m, const View& v) {
  out += "<g fill=\"none\" stroke-width=\"1.5\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
  for (const MapTrack& t : m.tracks) {
    if (t.count == 0) continue;
    out += "<polyline stroke=\"";
    out += colour_of(t);
    out += "\" points=\"";
    for (size_t i = t.first; i < t.first + t.count; ++i) {
      if (i > t.first) out += ' ';
      put_point(out, v.px(m.points[i].x), v.py(m.points[i].y));
    }
    out += "\"><title>";
    put_label(out, t);
    out += "</title></polyline>\n";
  }
  out += "</g>\n";
}

// A dot at each track's first record; an arrow head at its last, along the
// step from the last point that lies apart from it.
void draw_ends(std::string& out, const SurveyMap& m, const View& v) {
  out += "<g>\n";
  for (const MapTrack& t : m.tracks) {
    if (t.count == 0) continue;
    std::string_view colour = colour_of(t);
    const MapPoint& first = m.points[t.first];
    out += "<circle";
    put_attribute(out, "cx", v.px(first.x));
    put_attribute(out, "cy", v.py(first.y));
    put_attribute(out, "r", kDotRadius);
    out += " fill=\"";
    out += colour;
    out += "\"/>\n";
    const MapPoint& last = m.points[t.first + t.count - 1];
    double tx = v.px(last.x), ty = v.py(last.y);
    for (size_t i = t.first + t.count - 1; i-- > t.first;) {
      double dx = tx - v.px(m.points[i].x), dy = ty - v.py(m.points[i].y);
      double length = std::sqrt(dx * dx + dy * dy);
      if (length < 0.5) continue;
      double ux = dx / length, uy = dy / length;
      double bx = tx - ux * kArrowLength, by = ty - uy * kArrowLength;
      out += "<path fill=\"";
      out += colour;
      out += "\" d=\"M";
      put_point(out, tx, ty);
      out += 'L';
      put_point(out, bx - uy * kArrowHalfWidth, by + ux * kArrowHalfWidth);
      out += 'L';
      put_point(out, bx + uy * kArrowHalfWidth, by - ux * kArrowHalfWidth);
      out += "Z\"/>\n";
      break;
    }
  }
  out += "</g>\n";
}

// Each identifier beside its track's first record, unless a label already
// holds a cell its text would cover.
void draw_labels(std::string& out, const SurveyMap& m, const View& v) {
  const int columns = static_cast<int>(kWidth / kCellWidth) + 1, rows = static_cast<int>(kHeight / kCellHeight) + 1;
  std::vector<char> taken(static_cast<size_t>(columns * rows), 0);
  auto cell = [](double at, double size, int count) {
    return std::clamp(static_cast<int>(std::floor(at / size)), 0, count - 1);
  };
  out += "<g paint-order=\"stroke\" stroke=\"#fff\" stroke-width=\"3\">\n";
  for (const MapTrack& t : m.tracks) {
    if (t.count == 0 || t.label.empty()) continue;
    size_t characters = t.label_cut ? 3 : 0;
    for (char c : t.label) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    double width = kCharWidth * static_cast<double>(characters);
    const MapPoint& first = m.points[t.first];
    double x = std::min(v.px(first.x) + kLabelOffset, kWidth - width), y = v.py(first.y) - kLabelOffset;
    // The cells the text covers, from its top to just below its baseline.
    int top = cell(y - kFontSize, kCellHeight, rows), bottom = cell(y + 2, kCellHeight, rows);
    int from = cell(x, kCellWidth, columns), to = cell(x + width, kCellWidth, columns);
    auto covered = [&](auto visit) {
      for (int row = top; row <= bottom; ++row)
        for (int column = from; column <= to; ++column) visit(taken[static_cast<size_t>(row * columns + column)]);
    };
    bool free = true;
    covered([&](char& slot) { free = free && !slot; });
    if (!free) continue;
    covered([](char& slot) { slot = 1; });
    open_text(out, x, y, " fill=\"" + std::string(colour_of(t)) + '"');
    put_label(out, t);
    out += "</text>\n";
  }
  out += "</g>\n";
}

void put_count(std::string& out, int64_t n, const char* one, const char* many) {
  append_scaled(out, n, 0);
  out += n == 1 ? one : many;
}

// The input's name; the summary's count of segments and the records; and
// what the budget left out.
void draw_caption(std::string& out, const SurveyMap& m, std::string_view input) {
  out += "<g fill=\"#000\">\n";
  open_text(out, kLeft, kCaptionY);
  append_xml_text(out, input);
  out += "</text>\n";
  open_text(out, kLeft, kCaptionY + kLineSpacing);
  put_count(out, m.segments, " segment, ", " segments, ");
  put_count(out, m.records, " record", " records");
  if (segment_stride(m) > 1) {
    out += "; ";
    append_scaled(out, static_cast<int64_t>(m.tracks.size()), 0);
    out += " of ";
    append_scaled(out, m.segments, 0);
    out += " segments drawn (1 in ";
    append_scaled(out, segment_stride(m), 0);
    out += ')';
  }
  if (point_stride(m) > 1) {
    out += "; 1 record in ";
    append_scaled(out, point_stride(m), 0);
    out += " drawn, and every segment's first and last";
  }
  out += "</text>\n</g>\n";
}

}  // namespace

std::string draw_map(const SurveyMap& m, std::string_view input) {
  View v = fit(m);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  put_attribute(out, "width", kWidth);
  put_attribute(out, "height", kHeight);
  out += " viewBox=\"0 0 ";
  put(out, kWidth);
  out += ' ';
  put(out, kHeight);
  out += "\" font-family=\"sans-serif\"";
  put_attribute(out, "font-size", kFontSize);
  out += ">\n<title>Survey map of ";
  append_xml_text(out, input);
  out += "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  draw_frame(out, v);
  draw_tracks(out, m, v);
  draw_ends(out, m, v);
  draw_labels(out, m, v);
  draw_caption(out, m, input);
  out += "</svg>\n";
  return out;
}
