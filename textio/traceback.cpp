// SPDX-License-Identifier: Apache-2.0
#include "textio/traceback.h"

#include <backtrace.h>
#include <cxxabi.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textio/platform.h"

namespace {

const int kMaxRows = 20;
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

backtrace_state* state() {
  static backtrace_state* s = backtrace_create_state(platform::program_path(), 0, nullptr, nullptr);
  return s;
}

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
      if (routine == "main") routine = "SEGMENTOR";
    }
    snprintf(line_text, sizeof line_text, "%d", line);
    source = base_name(file);
  }
  char pc_text[16];
  snprintf(pc_text, sizeof pc_text, "%08X", static_cast<unsigned>(offset & 0xFFFFFFFFu));
  char line_field[16];
  snprintf(line_field, sizeof line_field, "%10.10s", line_text);

  put_padded(out, image, 17);
  out.put("  ");
  out.put(pc_text);
  out.put("  ");
  put_padded(out, routine, 17);
  out.put("  ");
  out.put(line_field);
  out.put("  ");
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

void walk_failed(void* data, const char*, int) { static_cast<Walk*>(data)->failed = true; }

// Called once per frame at pc, inlined calls first.
int frame_row(void* data, uintptr_t, const char* file, int line, const char* function) {
  RowContext* c = static_cast<RowContext*>(data);
  if (*c->rows == kMaxRows) return 1;
  if (*c->rows == 0) c->out->put(kHeader);
  put_row(*c->out, c->pc, function, file, line);
  ++*c->rows;
  return 0;
}

void no_frame_info(void*, const char*, int) {}

}  // namespace

namespace {

// "operator" beginning a name component, not "operators" or "my_operator".
bool operator_at(std::string_view name, size_t i) {
  const std::string_view op = "operator";
  if (name.substr(i, op.size()) != op) return false;
  if (i > 0 && name[i - 1] != ':' && name[i - 1] != ' ') return false;
  size_t after = i + op.size();
  return after == name.size() || !(isalnum(static_cast<unsigned char>(name[after])) || name[after] == '_');
}

}  // namespace

std::string_view short_routine_name(std::string_view name) {
  // The parameter list is the last parenthesis group; drop it and what follows.
  size_t close = name.rfind(')');
  if (close != std::string_view::npos) {
    int depth = 0;
    for (size_t i = close + 1; i-- > 0;) {
      if (name[i] == ')') ++depth;
      if (name[i] == '(' && --depth == 0) {
        name = name.substr(0, i);
        break;
      }
    }
  }
  // The last component outside brackets: after the last "::", or after a
  // return type's blank. An operator's symbol is no bracket.
  size_t component = 0;
  int depth = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if (depth == 0 && operator_at(name, i)) {
      component = i;
      i += strlen("operator");
      if (i < name.size() && name[i] == ' ') break;  // operator new, conversions
      while (i < name.size() && strchr("<>=!+-*/%^&|~[](),", name[i])) ++i;
      --i;
      continue;
    }
    char c = name[i];
    if (c == '<' || c == '(' || c == '{') {
      ++depth;
    } else if ((c == '>' || c == ')' || c == '}') && depth > 0) {
      --depth;
    } else if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') {
      component = ++i + 1;
    } else if (depth == 0 && c == ' ') {
      component = i + 1;
    }
  }
  name = name.substr(component);
  // Template arguments at the end of a plain name.
  if (!name.starts_with("operator") && name.ends_with('>')) {
    int angle = 0;
    for (size_t i = name.size(); i-- > 0;) {
      if (name[i] == '>') ++angle;
      if (name[i] == '<' && --angle == 0) {
        name = name.substr(0, i);
        break;
      }
    }
  }
  return name.empty() ? std::string_view("Unknown") : name;
}

void append_traceback(ReportText& out) {
  Walk walk;
  backtrace_state* s = state();
  if (!s || (backtrace_simple(s, 1, collect_pc, walk_failed, &walk) != 0 && !walk.ended))
    walk.failed = true;
  int rows = 0;
  for (int i = 0; i < walk.count && rows < kMaxRows; ++i) {
    RowContext c{&out, walk.pcs[i], &rows};
    int before = rows;
    backtrace_pcinfo(s, walk.pcs[i], frame_row, no_frame_info, &c);
    if (rows == before && rows < kMaxRows) frame_row(&c, walk.pcs[i], nullptr, 0, nullptr);
  }
  if (walk.failed) {
    platform::write_to(platform::Stream::output, "\n", 1);
  }
}
