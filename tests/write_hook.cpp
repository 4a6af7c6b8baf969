// SPDX-License-Identifier: Apache-2.0
// A preloaded library for the end-to-end tests: it lets a signal arrive at
// the one moment a test needs, while a record is being written to a file or
// as the file is closed.
//   SEGMENTOR_HOOK_FILE    the file's name, without directory
//   SEGMENTOR_HOOK_WRITE   which write to it, from 1, gets only half its
//                          bytes out; 0: the first one that comes back short
//                          by itself (a file-size limit); -1: none, the
//                          signals come as the file is closed
//   SEGMENTOR_HOOK_SIGNAL  the signal raised as that write or close returns,
//                          or two, blank-separated, one after the other
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using WriteCall = ssize_t (*)(int, const void*, size_t);
using CloseCall = int (*)(int);

struct Hook {
  WriteCall real_write = nullptr;
  CloseCall real_close = nullptr;
  const char* file = nullptr;
  long write_number = 0;
  int signals[2] = {};
  long writes = 0;  // to the file so far
  bool fired = false;
};

Hook g_hook;

WriteCall real_write() {
  if (!g_hook.real_write) g_hook.real_write = reinterpret_cast<WriteCall>(dlsym(RTLD_NEXT, "write"));
  return g_hook.real_write;
}

CloseCall real_close() {
  if (!g_hook.real_close) g_hook.real_close = reinterpret_cast<CloseCall>(dlsym(RTLD_NEXT, "close"));
  return g_hook.real_close;
}

// Read once, at load: the program's signal handler writes and closes too.
__attribute__((constructor)) void load_hook() {
  real_write();
  real_close();
  const char* file = getenv("SEGMENTOR_HOOK_FILE");
  const char* number = getenv("SEGMENTOR_HOOK_WRITE");
  const char* sig = getenv("SEGMENTOR_HOOK_SIGNAL");
  if (!file || !number || !sig) return;
  g_hook.file = file;
  g_hook.write_number = strtol(number, nullptr, 10);
  char* next = nullptr;
  g_hook.signals[0] = static_cast<int>(strtol(sig, &next, 10));
  g_hook.signals[1] = static_cast<int>(strtol(next, nullptr, 10));
}

void fire() {
  g_hook.fired = true;
  int saved = errno;
  for (int sig : g_hook.signals)
    if (sig) raise(sig);
  errno = saved;
}

bool is_hooked_file(int fd) {
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  const char* slash = strrchr(path, '/');
  return strcmp(slash ? slash + 1 : path, g_hook.file) == 0;
}

}  // namespace

extern "C" ssize_t write(int fd, const void* bytes, size_t n) {
  if (!g_hook.file || g_hook.fired || !is_hooked_file(fd)) return real_write()(fd, bytes, n);
  bool cut = ++g_hook.writes == g_hook.write_number && n > 1;
  ssize_t put = real_write()(fd, bytes, cut ? n / 2 : n);
  if (cut || (g_hook.write_number == 0 && put >= 0 && static_cast<size_t>(put) < n)) fire();
  return put;
}

extern "C" int close(int fd) {
  bool hooked = g_hook.file && !g_hook.fired && g_hook.write_number < 0 && is_hooked_file(fd);
  int closed = real_close()(fd);
  if (hooked) fire();
  return closed;
}
