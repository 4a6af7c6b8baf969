// SPDX-License-Identifier: Apache-2.0
#include "endings/traceback.h"

#include <cstdint>
#include <cstdio>

#include "endings/routine_name.h"
#include "platform/platform.h"

namespace {

const int kMaxRows = 20;
// A row: image and routine cut or padded to 17 characters, the line number
// right-aligned in 10, the columns two blanks apart; the header matches.
const size_t kNameWidth = 17;
const int kLineWidth = 10;
const char kColumnGap[] = "  ";
const char kHeader[] =
    "Image              PC        Routine            Line        Source             \n";

struct RowContext {
  ReportText* out;
  uintptr_t pc;
  int* rows;
};

void put_padded(ReportText& out, std::string_view s, size_t width) {
  s = s.substr(0, width);
  out.put(s);
  for (size_t i = s.size(); i < width; ++i) out.put(' ');
}

void put_row(ReportText& out, uintptr_t pc, const platform::CodeLine& call) {
  const char* module = nullptr;
  uintptr_t offset = pc;
  std::string_view image = platform::code_module(pc, &module, &offset) ? module : "Unknown";
  std::string_view routine = "Unknown";
  char line_text[16] = "Unknown";
  std::string_view source = "Unknown";
  if (call.source && call.line > 0) {
    if (call.routine) {
      routine = short_routine_name(call.routine);
      // The main program goes by the program's name in capitals, as in the
      // reports of every earlier version, which users match on.
      if (routine == "main") routine = "SEGMENTOR";
    }
    snprintf(line_text, sizeof line_text, "%d", call.line);
    source = call.source;
  }
  char pc_text[16];
  snprintf(pc_text, sizeof pc_text, "%08X", static_cast<unsigned>(offset & 0xFFFFFFFFu));
  char line_field[16];
  snprintf(line_field, sizeof line_field, "%*.*s", kLineWidth, kLineWidth, line_text);

  put_padded(out, image, kNameWidth);
  out.put(kColumnGap);
  out.put(pc_text);
  out.put(kColumnGap);
  put_padded(out, routine, kNameWidth);
  out.put(kColumnGap);
  out.put(line_field);
  out.put(kColumnGap);
  out.put(source);
  out.put('\n');
}

// One row per call at the context's pc, while rows are left.
bool call_row(void* data, const platform::CodeLine& call) {
  RowContext* c = static_cast<RowContext*>(data);
  if (*c->rows == kMaxRows) return false;
  if (*c->rows == 0) c->out->put(kHeader);
  put_row(*c->out, c->pc, call);
  ++*c->rows;
  return true;
}

}  // namespace

void append_traceback(ReportText& out) {
  uintptr_t pcs[kMaxRows];
  int count = 0;
  // The walk starts at the caller of append_traceback.
  bool walked = platform::walk_stack(1, pcs, kMaxRows, &count);
  int rows = 0;
  for (int i = 0; i < count && rows < kMaxRows; ++i) {
    RowContext c{&out, pcs[i], &rows};
    int before = rows;
    platform::code_lines(pcs[i], call_row, &c);
    // An address the debug information does not know still has its row.
    if (rows == before) call_row(&c, {});
  }
  if (!walked) platform::write_to(platform::Stream::output, "\n", 1);
}
