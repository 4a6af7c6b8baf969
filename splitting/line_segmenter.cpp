// SPDX-License-Identifier: Apache-2.0
#include "splitting/line_segmenter.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "splitting/map_drawing.h"
#include "splitting/record_scanner.h"
#include "splitting/survey_map.h"
#include "textio/console_output.h"
#include "textio/map_file.h"
#include "textio/record_files.h"
#include "textio/record_layout.h"

namespace {

// The start value of X and Y: -1.0E32 as a single-precision value, which a
// first record whose coordinate is a null value or a slash keeps, and whose
// steps then give the codes earlier versions gave.
const double kStartCoordinate = static_cast<double>(-1.0e32f);

struct Segmenter {
  Columns columns;
  bool list = false;
  bool quiet = false;  // no count lines, no summary
  std::string folder;  // of the line files
  std::vector<std::string> headers;  // composed text records, line end included

  // The line identifiers of the data record and of the pending one, each a
  // view of its own record's text, which stays put until that record is
  // read into again, two records later.
  std::string_view current, previous;
  double x = kStartCoordinate, y = kStartCoordinate;
  double previous_x = 0, previous_y = 0;
  DataRecord records[2];
  DataRecord* data = &records[0];
  DataRecord* pending = &records[1];
  int32_t code = 0;
  int32_t steps = 0;
  int32_t segments = 0;
  bool line_open = false;
  SurveyMap* map = nullptr;  // only when one is asked for
};

// The direction code of a step: 1 +X, 2 +Y, 3 -X, 4 -Y (equal magnitudes go
// to the Y rule, a zero step is 4).
int32_t direction_code(double dx, double dy) {
  if (std::fabs(dx) > std::fabs(dy)) return dx > 0 ? 1 : 3;
  return dy > 0 ? 2 : 4;
}

void write_headers(const Segmenter& s, FileUnit unit) {
  for (const std::string& h : s.headers) write_record(unit, h.data(), h.size());
}

// Writes the pending record with the direction code now in force.
void write_pending(Segmenter& s) {
  if (s.pending->blank()) return;
  char* text = s.pending->text.data();
  size_t n = finish_coded_record(text, s.pending->len, s.code);
  if (s.list) write_record(FileUnit::list, text, n);
  if (s.line_open) write_record(FileUnit::line, text, n);
}

void open_line_file(Segmenter& s) {
  std::string name{s.current};
  name += ".dat";
  open_unit(FileUnit::line, name, OpenMode::line_file, s.folder);
  s.line_open = true;
  // A line that comes back goes on in its file, after its header lines.
  if (!continues_written_file(FileUnit::line)) write_headers(s, FileUnit::line);
}

void start_segment(Segmenter& s) {
  bool pending = !s.pending->blank();
  write_pending(s);
  // Closed even when no record is pending (a record of separators only):
  // a line file is never left open behind the next one.
  close_unit(FileUnit::line);
  s.line_open = false;
  if (pending && s.steps >= 1 && !s.quiet) {
    std::string text = " Processed: ";
    text += s.previous;
    write_count_line(text, s.steps);
  }
  s.pending->len = 0;
  ++s.segments;
  s.steps = 0;
  // The direction code is not reset: a segment of a single record is written
  // with the last code of the segment before it (0 before the first step),
  // as the files of every earlier version have it.
  open_line_file(s);
  if (s.map) begin_track(*s.map, s.current);
}

void finish(Segmenter& s, const RunParameters& p) {
  write_pending(s);
  close_unit(FileUnit::input);
  close_unit(FileUnit::list);
  close_unit(FileUnit::line);
  if (!s.quiet) write_count_line(" Processing complete: ", s.segments);
  flush_console_output();
  // Only a complete run puts its map in place: last, after the summary.
  if (s.map) {
    end_tracks(*s.map);
    commit_map_file(draw_map(*s.map, p.infile));
  }
}

}  // namespace

void segment_lines(const RunParameters& p) {
  Segmenter s;
  s.columns = {p.LineCol, p.XCol, p.YCol, p.options.strict};
  s.quiet = p.options.quiet;
  s.folder = p.options.output_dir;
  if (p.options.buffered) {
    buffer_output_files();
    buffer_console_output();
  }
  open_unit(FileUnit::input, p.infile, OpenMode::existing);
  // The map's file is made before the input is read: one that cannot be
  // written ends the run before anything else is.
  SurveyMap map;
  if (!p.options.map.empty()) {
    open_map_file(p.options.map);
    s.map = &map;
  }

  for (int32_t i = 0; i < p.nHead; ++i) {
    std::string_view line;
    if (!read_record(FileUnit::input, &line)) return finish(s, p);
    s.headers.push_back(text_record(trimmed(line)));
  }
  s.list = !is_blank(p.lstfil);
  if (s.list) {
    open_unit(FileUnit::list, p.lstfil, OpenMode::create);
    write_headers(s, FileUnit::list);
  }

  for (;;) {
    s.previous = s.current;
    s.previous_x = s.x;
    s.previous_y = s.y;
    std::swap(s.data, s.pending);
    if (!next_record(s.data)) return finish(s, p);
    scan_record(*s.data, s.columns, &s.current, &s.x, &s.y);
    if (s.current == s.previous) {
      if (s.steps < INT32_MAX) ++s.steps;  // beyond, the count line shows asterisks anyway
      s.code = direction_code(s.x - s.previous_x, s.y - s.previous_y);
    } else {
      start_segment(s);
    }
    if (s.map) add_record(*s.map, s.x, s.y);
    write_pending(s);
  }
}
