// SPDX-License-Identifier: Apache-2.0
// The stack walk through libbacktrace, which also reads the program's debug
// information: every row of the program's own code names its routine, line
// and source.
#include <backtrace.h>
#include <cxxabi.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/program_path.h"

namespace platform {

namespace {

// The source paths the compiler recorded separate their folders with '/'
// (the build names the checkout '.'), whatever the system the program runs on.
const char kSourceSeparator = '/';

struct Walk {
  uintptr_t* pcs;
  int cap;
  int count = 0;
  bool ended = false;  // reached the outermost call or the cap
  bool failed = false;
};

backtrace_state* state() {
  static backtrace_state* s = backtrace_create_state(program_path(), 0, nullptr, nullptr);
  return s;
}

int collect_pc(void* data, uintptr_t pc) {
  Walk* w = static_cast<Walk*>(data);
  // The outermost frame has no return address: the walk ends there.
  if (pc == 0 || pc == UINTPTR_MAX || w->count == w->cap) {
    w->ended = true;
    return 1;
  }
  w->pcs[w->count++] = pc;
  return 0;
}

void walk_failed(void* data, const char*, int) { static_cast<Walk*>(data)->failed = true; }

struct Visit {
  CodeLineVisit visit;
  void* data;
};

const char* base_name(const char* path) {
  if (!path) return nullptr;
  const char* separator = strrchr(path, kSourceSeparator);
  return separator ? separator + 1 : path;
}

// Called once per call at a pc, inlined calls first.
int visit_call(void* data, uintptr_t, const char* file, int line, const char* function) {
  Visit* v = static_cast<Visit*>(data);
  int status = 0;
  char* demangled = function ? abi::__cxa_demangle(function, nullptr, nullptr, &status) : nullptr;
  bool go_on = v->visit(v->data, {demangled ? demangled : function, base_name(file), line});
  free(demangled);
  return go_on ? 0 : 1;
}

void no_call_info(void*, const char*, int) {}

}  // namespace

// Not inlined: the frames passed over are counted from this one.
[[gnu::noinline]] bool walk_stack(int skip, uintptr_t* pcs, int cap, int* count) {
  Walk walk{pcs, cap};
  backtrace_state* s = state();
  if (!s || (backtrace_simple(s, 1 + skip, collect_pc, walk_failed, &walk) != 0 && !walk.ended)) walk.failed = true;
  *count = walk.count;
  return !walk.failed;
}

void code_lines(uintptr_t pc, CodeLineVisit visit, void* data) {
  Visit v{visit, data};
  if (backtrace_state* s = state()) backtrace_pcinfo(s, pc, visit_call, no_call_info, &v);
}

}  // namespace platform
