// SPDX-License-Identifier: Apache-2.0
#include "endings/traceback.h"

#include <cxxabi.h>
#ifdef SEGMENTOR_NO_LIBBACKTRACE
#include <unwind.h>
#else
#include <backtrace.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

struct Walk {
  uintptr_t pcs[kMaxRows];
  int count = 0;
  bool ended = false;   // reached the outermost call or the row limit
  bool failed = false;
};

struct RowContext {
  ReportText* out;
  uintptr_t pc;
  int* rows;
};

std::string_view base_name(const char* path) {
  if (!path) return "Unknown";
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

void put_padded(ReportText& out, std::string_view s, size_t width) {
  s = s.substr(0, width);
  out.put(s);
  for (size_t i = s.size(); i < width; ++i) out.put(' ');
}

void put_row(ReportText& out, uintptr_t pc, const char* function, const char* file, int line) {
  const char* module = nullptr;
  uintptr_t offset = pc;
  std::string_view image = platform::code_module(pc, &module, &offset) ? module : "Unknown";
  char* demangled = nullptr;
  std::string_view routine = "Unknown";
  char line_text[16] = "Unknown";
  std::string_view source = "Unknown";
  if (file && line > 0) {
    if (function) {
      int status = 0;
      demangled = abi::__cxa_demangle(function, nullptr, nullptr, &status);
      routine = short_routine_name(demangled ? demangled : function);
      // The main program goes by the program's name in capitals, as in the
      // reports of every earlier version, which users match on.
      if (routine == "main") routine = "SEGMENTOR";
    }
    snprintf(line_text, sizeof line_text, "%d", line);
    source = base_name(file);
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
  free(demangled);
}

int collect_pc(void* data, uintptr_t pc) {
  Walk* w = static_cast<Walk*>(data);
  // The outermost frame has no return address: the walk ends there.
  if (pc == 0 || pc == UINTPTR_MAX || w->count == kMaxRows) {
    w->ended = true;
    return 1;
  }
  w->pcs[w->count++] = pc;
  return 0;
}

// Called once per frame at pc, inlined calls first.
int frame_row(void* data, uintptr_t, const char* file, int line, const char* function) {
  RowContext* c = static_cast<RowContext*>(data);
  if (*c->rows == kMaxRows) return 1;
  if (*c->rows == 0) c->out->put(kHeader);
  put_row(*c->out, c->pc, function, file, line);
  ++*c->rows;
  return 0;
}

#ifdef SEGMENTOR_NO_LIBBACKTRACE
// Without libbacktrace, the C++ runtime's unwinder walks the stack and no
// debug information is read: every row names its image alone.

struct Unwind {
  Walk* walk;
  int skip;
};

_Unwind_Reason_Code unwound_frame(_Unwind_Context* context, void* data) {
  Unwind* u = static_cast<Unwind*>(data);
  int before_call = 0;
  uintptr_t pc = _Unwind_GetIPInfo(context, &before_call);
  if (u->skip > 0) {
    --u->skip;
    return _URC_NO_REASON;
  }
  // A return address points after its call: the row is the call's.
  if (pc != 0 && !before_call) --pc;
  return collect_pc(u->walk, pc) ? _URC_END_OF_STACK : _URC_NO_REASON;
}

// The walk starts at the caller of append_traceback: the two frames it
// passes over are walk_stack's own and append_traceback's.
[[gnu::noinline]] void walk_stack(Walk& walk) {
  Unwind u{&walk, 2};
  if (_Unwind_Backtrace(unwound_frame, &u) != _URC_END_OF_STACK && !walk.ended) walk.failed = true;
}

void frame_rows(RowContext& c) { frame_row(&c, c.pc, nullptr, 0, nullptr); }

#else

backtrace_state* state() {
  static backtrace_state* s = backtrace_create_state(platform::program_path(), 0, nullptr, nullptr);
  return s;
}

void walk_failed(void* data, const char*, int) { static_cast<Walk*>(data)->failed = true; }

// As above, past walk_stack and append_traceback.
[[gnu::noinline]] void walk_stack(Walk& walk) {
  backtrace_state* s = state();
  if (!s || (backtrace_simple(s, 2, collect_pc, walk_failed, &walk) != 0 && !walk.ended)) walk.failed = true;
}

void no_frame_info(void*, const char*, int) {}

void frame_rows(RowContext& c) {
  int before = *c.rows;
  backtrace_pcinfo(state(), c.pc, frame_row, no_frame_info, &c);
  if (*c.rows == before && *c.rows < kMaxRows) frame_row(&c, c.pc, nullptr, 0, nullptr);
}

#endif

}  // namespace

void append_traceback(ReportText& out) {
  Walk walk;
  walk_stack(walk);
  int rows = 0;
  for (int i = 0; i < walk.count && rows < kMaxRows; ++i) {
    RowContext c{&out, walk.pcs[i], &rows};
    frame_rows(c);
  }
  if (walk.failed) {
    platform::write_to(platform::Stream::output, "\n", 1);
  }
}
