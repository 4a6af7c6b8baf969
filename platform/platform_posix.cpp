// SPDX-License-Identifier: Apache-2.0
// The platform layer on Linux and other POSIX systems: descriptors, open(2)
// and its errno values, signals for the console events, dl_iterate_phdr(3)
// for the traceback's images.
#include "platform/platform.h"

#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cfenv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/path_components.h"
#include "platform/program_path.h"
#include "platform/stream_seam.h"

namespace platform {

namespace {

int fd(Handle h) { return static_cast<int>(h); }

bool failed(ErrorCode* error) {
  *error = errno;
  return false;
}

// A standard stream that is closed gets /dev/null opened the wrong way round
// (standard input for writing, the others for reading), so that the program's
// own reads and writes on it still fail as on a closed stream, and no file
// of the run can take its number and receive console lines.
void occupy_closed_standard_streams() {
  for (int n = 0; n <= 2; ++n) {
    // open(2) takes the lowest free number, which is n.
    if (fcntl(n, F_GETFD) == -1 && errno == EBADF) open("/dev/null", n == 0 ? O_WRONLY : O_RDONLY);
  }
}

// Another run's connection to a regular file refuses this one, as share
// modes do: a lock of the open file description, for writing or for
// reading, which goes with its close. Pipes and devices are never locked,
// so parallel runs may all write to /dev/null or one pipe. Where the file
// system has no such lock, nothing is refused.
bool lock_refused(int f, bool writing) {
#ifdef F_OFD_SETLK
  struct stat st;
  if (fstat(f, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  struct flock lock = {};
  lock.l_type = writing ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;  // from 0, length 0: the whole file, however long it grows
  return fcntl(f, F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES);
#else
  (void)f;
  (void)writing;
  return false;
#endif
}

bool open_file(const std::string& name, int flags, Handle* handle, bool* read_only, ErrorCode* error) {
  // A name with a NUL inside is no name the file system knows.
  if (name.find('\0') != std::string::npos) {
    *error = EINVAL;
    return false;
  }
  *read_only = false;
  int f = open(name.c_str(), flags | O_CLOEXEC, 0666);
  if (f < 0 && (flags & O_WRONLY) && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    *read_only = true;
    f = open(name.c_str(), (flags & ~O_WRONLY) | O_RDONLY | O_CLOEXEC, 0666);
  }
  if (f < 0) return failed(error);
  // Refused before a byte is written: the open itself changes no file.
  if (!*read_only && lock_refused(f, flags & O_WRONLY)) {
    close(f);
    *error = file_busy_error();
    return false;
  }
  *handle = f;
  return true;
}

// Joins path components, dropping "." and letting ".." remove the one before.
std::string resolve_dots(std::string_view absolute) {
  std::string out;
  for (std::string_view p : resolved_components(absolute, "/")) {
    out += '/';
    out += p;
  }
  return out.empty() ? "/" : out;
}

// The console events as signals: SIGINT is the interrupt (control-C),
// SIGQUIT the break (control-BREAK), SIGHUP the close of the terminal
// (window-CLOSE); SIGTERM, which a fatal default would let cut a write to a
// file on disk at a page boundary, is caught as well.
struct EventSignal {
  ConsoleEvent event;
  int signal;
};
const EventSignal kEventSignals[] = {
    {ConsoleEvent::interrupt, SIGINT},
    {ConsoleEvent::break_key, SIGQUIT},
    {ConsoleEvent::close, SIGHUP},
    {ConsoleEvent::terminate, SIGTERM},
};

// How a run ends by a signal: the signal arrives (on_signal) on top of the
// main work, between two of its system calls (a caught signal does not cut
// a write to a file on disk). Its report line is written at once (report),
// unless a failure report is being written, which it then follows. While a
// step of the main work holds events off, the end waits for it
// (wait_for_hold), and the release of the last hold goes on from there.
// Then the units are cut back and closed and the process ends by the signal
// (report_then_end, the `end` action). A signal that comes while the first
// waits or reports ends the run at once (end_at_once), in a handler of its
// own on top of the first, which never goes on.
struct EventState {
  volatile sig_atomic_t holds = 0;         // steps that hold events off: a count, no system call
  volatile sig_atomic_t report_holds = 0;  // of them, those of a failure report
  volatile sig_atomic_t taken = 0;         // an event is ending the run
  volatile sig_atomic_t reported = 0;      // and its report line is written
  volatile sig_atomic_t waiting = 0;       // the signal that waits for the holds to end
};

EventActions g_actions = {};
sigset_t g_event_signals;
EventState g_event;

ConsoleEvent event_of(int sig) {
  for (const EventSignal& e : kEventSignals)
    if (e.signal == sig) return e.event;
  return ConsoleEvent::interrupt;
}

// Does not return.
void end_at_once(int sig) { g_actions.end(event_of(sig), true); }

// Whether standard error takes a short line at once: a file on disk, a
// terminal, a pipe with room for it.
bool error_takes_a_line() {
  pollfd p = {STDERR_FILENO, POLLOUT, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLOUT);
}

// The event's report line, once. A standard error that takes it gets it
// whole before anything else can happen; otherwise it is written with the
// event signals let through: one that comes while it waits ends the run at
// once.
void report(int sig) {
  if (g_event.reported) return;
  g_event.reported = 1;
  if (error_takes_a_line()) {
    g_actions.report(event_of(sig));
    return;
  }
  EventsLetThrough through;
  g_actions.report(event_of(sig));
}

void wait_for_hold(int sig) {
  g_event.waiting = sig;
  if (g_event.report_holds == 0) report(sig);
}

// The closing that follows is cut short by a second event only where it
// lets events through.
void report_then_end(int sig) {
  report(sig);
  sigprocmask(SIG_BLOCK, &g_event_signals, nullptr);
  g_actions.end(event_of(sig), false);
}

// Every event signal stays blocked while a handler runs (sa_mask), except
// where it lets them through.
void on_signal(int sig) {
  if (g_event.taken) end_at_once(sig);
  g_event.taken = 1;
  if (g_event.holds > 0) {
    wait_for_hold(sig);
    return;
  }
  report_then_end(sig);
}

}  // namespace

void start_up() {
  occupy_closed_standard_streams();
  fedisableexcept(FE_ALL_EXCEPT);
  // A write to a closed pipe, and one beyond the file-size limit, then fails
  // and is reported. Ignoring an already ignored signal changes nothing.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

namespace {
Handle g_standard_streams[] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
}  // namespace

Handle standard_stream(Stream stream) { return g_standard_streams[static_cast<int>(stream)]; }

Handle replace_standard_stream(Stream stream, Handle h) {
  return std::exchange(g_standard_streams[static_cast<int>(stream)], h);
}

bool read_some(Handle h, char* buf, size_t cap, size_t* got, ErrorCode* error) {
  for (;;) {
    ssize_t n = read(fd(h), buf, cap);
    if (n >= 0) {
      *got = static_cast<size_t>(n);
      return true;
    }
    if (errno != EINTR) return failed(error);
  }
}

bool write_all(Handle h, const char* bytes, size_t n, size_t* written, ErrorCode* error) {
  size_t done = 0;
  while (done < n) {
    ssize_t w = write(fd(h), bytes + done, std::min(n - done, kMaxWrite));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      *error = w == 0 ? ENOSPC : errno;
      *written = done;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  *written = done;
  return true;
}

Refusal classify_refusal(ErrorCode error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return Refusal::not_found;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return Refusal::access_refused;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return Refusal::bad_name;
    case ENXIO:
    case ENODEV: return Refusal::no_device;
    case EMFILE:
    case ENFILE: return Refusal::too_many_files;
  }
  return Refusal::other;
}

bool open_for_reading(const std::string& name, Handle* handle, ErrorCode* error) {
  bool read_only;
  return open_file(name, O_RDONLY, handle, &read_only, error);
}

// Only written: a pipe whose reader has left then fails the write instead of
// waiting for the program itself to read it.
bool open_for_writing(const std::string& name, Handle* handle, bool* read_only, ErrorCode* error) {
  return open_file(name, O_WRONLY | O_CREAT, handle, read_only, error);
}

bool file_kind(Handle h, FileKind* kind, ErrorCode* error) {
  struct stat st;
  if (fstat(fd(h), &st) != 0) return failed(error);
  kind->directory = S_ISDIR(st.st_mode);
  kind->regular = S_ISREG(st.st_mode);
  kind->empty = st.st_size == 0;
  kind->identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

bool is_terminal(Handle h) { return isatty(fd(h)) == 1; }

ErrorCode file_busy_error() { return EBUSY; }

bool position_at_end(Handle h, int64_t* end, ErrorCode* error) {
  off_t at = lseek(fd(h), 0, SEEK_END);
  if (at < 0) return failed(error);
  *end = at;
  return true;
}

bool cut_at(Handle h, int64_t offset, ErrorCode* error) {
  return ftruncate(fd(h), static_cast<off_t>(offset)) == 0 || failed(error);
}

bool close_handle(Handle h, ErrorCode* error) { return close(fd(h)) == 0 || failed(error); }

namespace {

// The program never changes its working directory: it is asked for once,
// not for each of many line files. Empty when the system cannot tell it.
const std::string& working_directory() {
  static const std::string cwd = [] {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
  }();
  return cwd;
}

}  // namespace

bool name_identity(const std::string& name, FileIdentity* identity) {
  struct stat st;
  if (name.find('\0') != std::string::npos || stat(name.c_str(), &st) != 0) return false;
  *identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

bool replace_file(const std::string& from, const std::string& to, ErrorCode* error) {
  return rename(from.c_str(), to.c_str()) == 0 || failed(error);
}

void remove_file(const char* name) { unlink(name); }

unsigned process_id() { return static_cast<unsigned>(getpid()); }

std::string absolute_name(std::string_view name) {
  if (name.empty()) return {};
  if (name[0] == '/') return resolve_dots(name);
  if (working_directory().empty()) return std::string(name);
  std::string absolute = working_directory();
  absolute += '/';
  absolute += name;
  return resolve_dots(absolute);
}

bool name_exists(const std::string& resolved) {
  struct stat st;
  return !resolved.empty() && resolved.find('\0') == std::string::npos && stat(resolved.c_str(), &st) == 0;
}

bool make_folders(const std::string& resolved, ErrorCode* error) {
  if (resolved.empty() || resolved.find('\0') != std::string::npos) {
    *error = resolved.empty() ? ENOENT : EINVAL;
    return false;
  }
  struct stat st;
  if (stat(resolved.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      *error = ENOTDIR;
      return false;
    }
    return access(resolved.c_str(), W_OK | X_OK) == 0 || failed(error);
  }
  if (errno != ENOENT) return failed(error);
  // The folder above first; "/" is always there.
  size_t slash = resolved.find_last_of('/');
  std::string above = resolved.substr(0, slash == 0 ? 1 : slash);
  if (slash != std::string::npos && !make_folders(above, error)) return false;
  return mkdir(resolved.c_str(), 0777) == 0 || errno == EEXIST || failed(error);
}

bool is_local_name(std::string_view name) {
  if (name.starts_with('/')) return false;
  size_t start = 0;
  for (;;) {
    size_t slash = name.find('/', start);
    if (name.substr(start, slash - start) == "..") return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

std::string error_description(ErrorCode error) { return std::string(strerror(error)) + "\r\n"; }

void install_console_events(EventActions actions) {
  g_actions = actions;
  sigemptyset(&g_event_signals);
  for (const EventSignal& e : kEventSignals) sigaddset(&g_event_signals, e.signal);

  // A signal ignored at start (nohup, background jobs) stays ignored.
  for (const EventSignal& e : kEventSignals) {
    struct sigaction old;
    if (sigaction(e.signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction sa = {};
    sa.sa_handler = on_signal;
    sigfillset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(e.signal, &sa, nullptr);
  }
}

// The fences keep the compiler from moving the main work's stores to the
// units table across the count that the handler reads.
EventHoldMayEndRun::EventHoldMayEndRun(Held what) : what_(what) {
  g_event.holds = g_event.holds + 1;
  if (what_ == Held::report) g_event.report_holds = g_event.report_holds + 1;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

// The release of the last hold carries out the ending of an event that
// waited for it, once: a hold taken in that ending's own closing does not
// start it again.
EventHoldMayEndRun::~EventHoldMayEndRun() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (what_ == Held::report) {
    g_event.report_holds = g_event.report_holds - 1;
    // The line of an event that came during the report follows it now,
    // also when a hold around the report still keeps the end waiting.
    if (g_event.report_holds == 0 && g_event.waiting) report(g_event.waiting);
  }
  g_event.holds = g_event.holds - 1;
  if (g_event.holds > 0 || !g_event.waiting) return;
  int sig = g_event.waiting;
  g_event.waiting = 0;
  report_then_end(sig);
}

EventsLetThrough::EventsLetThrough() {
  sigset_t before;
  sigprocmask(SIG_UNBLOCK, &g_event_signals, &before);
  were_blocked_ = sigismember(&before, SIGINT) == 1;
}

EventsLetThrough::~EventsLetThrough() {
  if (were_blocked_) sigprocmask(SIG_BLOCK, &g_event_signals, nullptr);
}

// A signal handler never waits for a closing under way: see ClosingTurn.
ClosingTurn::ClosingTurn() = default;
ClosingTurn::~ClosingTurn() = default;

// By the signal itself, so that a calling shell sees that the program was
// interrupted: default action, unblocked, raised again.
void end_by_console_event(ConsoleEvent event) {
  int sig = SIGINT;
  for (const EventSignal& e : kEventSignals)
    if (e.event == event) sig = e.signal;
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigaction(sig, &dfl, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);  // not reached: the signal's default action ends the process
}

void exit_process(unsigned status) { _exit(static_cast<int>(status)); }

namespace {

struct ModuleSearch {
  uintptr_t pc;
  const char* name = nullptr;
  uintptr_t start = 0;
};

// The module whose loaded segments hold the address. The list of loaded
// modules is the dynamic linker's, and in a static program the C library's,
// which knows the program itself: dladdr(3) knows nothing there.
int find_module(dl_phdr_info* info, size_t, void* data) {
  ModuleSearch* search = static_cast<ModuleSearch*>(data);
  uintptr_t start = UINTPTR_MAX;
  bool holds = false;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
    start = std::min<uintptr_t>(start, begin & ~(segment.p_align - 1));
    holds = holds || (search->pc >= begin && search->pc - begin < segment.p_memsz);
  }
  if (!holds) return 0;
  // The program itself has no name in the list: it is the one it was started as.
  search->name = info->dlpi_name[0] ? info->dlpi_name : program_invocation_name;
  search->start = start;
  return 1;
}

}  // namespace

bool code_module(uintptr_t pc, const char** image, uintptr_t* offset) {
  ModuleSearch search{pc};
  if (!dl_iterate_phdr(find_module, &search) || !search.name) return false;
  const char* slash = strrchr(search.name, '/');
  *image = slash ? slash + 1 : search.name;
  *offset = pc - search.start;
  return true;
}

// libbacktrace finds the executable itself through /proc/self/exe; where
// there is no /proc (a bare chroot, a container), the file the system
// started, named as the caller named it to execve(2): a shell passes the
// path it found on the PATH, whatever argv[0] says. A relative name stays
// right: the program never changes its working directory.
const char* program_path() {
  if (access("/proc/self/exe", F_OK) == 0) return nullptr;
  return reinterpret_cast<const char*>(getauxval(AT_EXECFN));
}

}  // namespace platform
