// SPDX-License-Identifier: Apache-2.0
// The stack walk through the C++ runtime's unwinder alone, where there is no
// libbacktrace: no debug information is read, and every row names its image
// alone.
#include <unwind.h>

#include "platform/platform.h"

namespace platform {

namespace {

struct Unwind {
  uintptr_t* pcs;
  int cap;
  int skip;
  int count = 0;
  bool ended = false;  // reached the outermost call or the cap
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
  // The outermost frame has no return address: the walk ends there.
  if (pc == 0 || pc == UINTPTR_MAX || u->count == u->cap) {
    u->ended = true;
    return _URC_END_OF_STACK;
  }
  u->pcs[u->count++] = pc;
  return _URC_NO_REASON;
}

}  // namespace

// Not inlined: the frames passed over are counted from this one.
[[gnu::noinline]] bool walk_stack(int skip, uintptr_t* pcs, int cap, int* count) {
  Unwind u{pcs, cap, 1 + skip};
  bool walked = _Unwind_Backtrace(unwound_frame, &u) == _URC_END_OF_STACK || u.ended;
  *count = u.count;
  return walked;
}

void code_lines(uintptr_t, CodeLineVisit, void*) {}

}  // namespace platform
