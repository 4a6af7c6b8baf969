// SPDX-License-Identifier: Apache-2.0
// The platform layer on Windows: raw handles, CreateFileA with its share
// modes, the console control handler on its own thread, the system's message
// texts. The C runtime's descriptors and text mode are never used: every byte
// goes through ReadFile and WriteFile, so CR LF and Ctrl-Z pass untouched.
#include "platform/platform.h"

#include <windows.h>

#include <float.h>

#include <algorithm>
#include <utility>

#include "platform/program_path.h"
#include "platform/stream_seam.h"
#include "platform/windows_names.h"

namespace platform {

static_assert(windows_names::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(windows_names::kPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(windows_names::kTooManyOpenFiles == ERROR_TOO_MANY_OPEN_FILES);
static_assert(windows_names::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(windows_names::kInvalidDrive == ERROR_INVALID_DRIVE);
static_assert(windows_names::kWriteProtect == ERROR_WRITE_PROTECT);
static_assert(windows_names::kNotReady == ERROR_NOT_READY);
static_assert(windows_names::kSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(windows_names::kBadNetPath == ERROR_BAD_NETPATH);
static_assert(windows_names::kBadNetName == ERROR_BAD_NET_NAME);
static_assert(windows_names::kInvalidName == ERROR_INVALID_NAME);
static_assert(windows_names::kBadPathname == ERROR_BAD_PATHNAME);
static_assert(windows_names::kFilenameExcedRange == ERROR_FILENAME_EXCED_RANGE);
static_assert(windows_names::kDirectory == ERROR_DIRECTORY);

namespace {

// ReadFile counts in 32 bits; a larger buffer is filled in several reads.
const size_t kMaxRead = size_t{1} << 30;
// Files that are no file on disk (pipes, devices) are told apart by handle.
const uint64_t kNoVolume = UINT64_MAX;
// At most one module per traceback row.
const int kMaxModules = 32;
// How long a console read that Ctrl-C or Ctrl-Break ended waits for the
// handler's thread to start, and how often it looks.
const DWORD kEventStartMs = 1000;
const DWORD kEventPollMs = 10;

HANDLE os(Handle h) { return reinterpret_cast<HANDLE>(h); }

bool failed(ErrorCode* error) {
  *error = static_cast<ErrorCode>(GetLastError());
  return false;
}

// kNoHandle is also the pseudo-handle of the process itself: it must never
// reach ReadFile or WriteFile.
bool usable(Handle h, ErrorCode* error) {
  if (h != kNoHandle && h != 0) return true;
  *error = ERROR_INVALID_HANDLE;
  return false;
}

// A standard handle that is absent or was not valid at start never becomes
// valid later, when a file of the run may have been given its value.
Handle standard_handle(DWORD which) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return kNoHandle;
  SetLastError(NO_ERROR);
  if (GetFileType(h) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return kNoHandle;
  return reinterpret_cast<Handle>(h);
}

// CreateFile reports a drive letter that names no drive as a path not found.
bool drive_missing(const std::string& name) {
  if (name.size() < 2 || name[1] != ':') return false;
  const char root[] = {name[0], ':', '\\', '\0'};
  return GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR;
}

// A device name resolves to "\\.\NAME", which GetFileAttributesA need not
// know; the device exists when Windows defines the name.
bool device_defined(const std::string& resolved) {
  const std::string_view prefix = "\\\\.\\";
  if (!resolved.starts_with(prefix) || resolved.find_first_of("\\/", prefix.size()) != std::string::npos) return false;
  char target[1024];
  return QueryDosDeviceA(resolved.c_str() + prefix.size(), target, sizeof target) != 0 ||
         GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// A link exists when what it names can be reached (or refuses only access).
bool link_target_exists(const std::string& resolved) {
  HANDLE h = CreateFileA(resolved.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(h);
  return true;
}

// A name that a system call writes into a buffer of the size it asks for
// (the call answers the size it needs, NUL included, while the buffer is too
// small, and the name's length once it fits, 0 when it fails).
template <typename Call>
bool name_from(Call call, std::string* name) {
  for (DWORD need = call(0, nullptr); need > 0;) {
    name->resize(need);
    DWORD got = call(need, name->data());
    if (got < need) {
      name->resize(got);
      return got > 0;
    }
    need = got;  // the current folder changed in between
  }
  return false;
}

bool open_file(const std::string& name, DWORD access, DWORD disposition, Handle* handle, bool* read_only,
               ErrorCode* error) {
  if (!windows_names::taken_whole(name)) {
    *error = name.size() > windows_names::kMaxNameLength ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME;
    return false;
  }
  *read_only = false;
  HANDLE h = CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD e = GetLastError();
  bool writing = (access & GENERIC_WRITE) != 0;
  if (h == INVALID_HANDLE_VALUE && writing && (e == ERROR_ACCESS_DENIED || e == ERROR_WRITE_PROTECT)) {
    h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    e = GetLastError();
    *read_only = true;
  }
  if (h == INVALID_HANDLE_VALUE) {
    if ((e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) && drive_missing(name)) e = ERROR_INVALID_DRIVE;
    *error = static_cast<ErrorCode>(e);
    return false;
  }
  *handle = reinterpret_cast<Handle>(h);
  return true;
}

// The file name without its folder, kept for the rest of the process. Only
// the failure report asks, on the main thread.
bool module_name(HMODULE module, const char** name) {
  static struct {
    HMODULE module;
    char name[MAX_PATH];
  } known[kMaxModules];
  static int count = 0;
  static char path[32768];

  for (int i = 0; i < count; ++i) {
    if (known[i].module == module) {
      *name = known[i].name;
      return true;
    }
  }
  DWORD n = GetModuleFileNameA(module, path, sizeof path);
  if (n == 0 || n == sizeof path || count == kMaxModules) return false;
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  known[count].module = module;
  lstrcpynA(known[count].name, base, sizeof known[count].name);
  *name = known[count++].name;
  return true;
}

// How a run ends by a console event: the system starts a thread of its own
// for it (on_control) while the main work goes on. The first event waits
// for the main work's hold (the event lock), writes its report line, and
// then the units are cut back and closed and the process ends (the `end`
// action). An event that comes while the first waits or reports (a record
// or a report stuck on a reader who stopped reading) ends the run at once
// on its thread; its closing of the units waits for one under way on
// another thread (the closing lock), which cuts back every file it closes.

// Re-entrant: holds nest (a failed close reported within a report).
struct Lock {
  CRITICAL_SECTION section;
  Lock() { InitializeCriticalSection(&section); }
};

CRITICAL_SECTION* event_lock() {
  static Lock lock;
  return &lock.section;
}

CRITICAL_SECTION* closing_lock() {
  static Lock lock;
  return &lock.section;
}

EventActions g_actions = {};
// Set once the handler has taken an event, which then ends the process.
volatile LONG g_event_taken = 0;
// The holds of a failure report, which an event's line follows.
volatile LONG g_report_holds = 0;
// The event taken, plus one, for the release of a failure report's hold to
// write its line; and whether that line is claimed, to write it once.
volatile LONG g_event_plus_one = 0;
volatile LONG g_line_claimed = 0;

void report_once(ConsoleEvent event) {
  if (InterlockedExchange(&g_line_claimed, 1) == 0) g_actions.report(event);
}

// Runs on a thread the system starts for the event. The first event writes
// its report line at once (after a failure report being written), then
// waits for the main work's hold; one that comes while it waits (a record
// or a report stuck on a reader who stopped reading) ends the run at once.
BOOL WINAPI on_control(DWORD type) {
  ConsoleEvent event;
  switch (type) {
    case CTRL_C_EVENT: event = ConsoleEvent::interrupt; break;
    case CTRL_BREAK_EVENT: event = ConsoleEvent::break_key; break;
    case CTRL_CLOSE_EVENT: event = ConsoleEvent::close; break;
    default: return FALSE;  // log-off and shut-down: the next handler's
  }
  if (InterlockedExchange(&g_event_taken, 1) != 0) g_actions.end(event, true);
  InterlockedExchange(&g_event_plus_one, static_cast<LONG>(event) + 1);
  if (InterlockedCompareExchange(&g_report_holds, 0, 0) == 0) report_once(event);
  EnterCriticalSection(event_lock());
  report_once(event);
  g_actions.end(event, false);
  return TRUE;
}

// Ctrl-C and Ctrl-Break end a console read that is waiting with no bytes
// while the system starts the handler's thread: such a read is no end of the
// input when the handler takes the event, which ends the process. Waits for
// that, and returns when no event comes (a Ctrl-Z typed at the console also
// reads as no bytes, and ends the input a moment later).
void await_console_event(HANDLE h) {
  DWORD mode;
  if (!GetConsoleMode(h, &mode)) return;  // a file or a pipe: its real end
  for (DWORD waited = 0; waited < kEventStartMs; waited += kEventPollMs) {
    if (InterlockedCompareExchange(&g_event_taken, 0, 0))
      for (;;) Sleep(INFINITE);
    Sleep(kEventPollMs);
  }
}

}  // namespace

void start_up() {
  unsigned int control;
  _controlfp_s(&control, _MCW_EM, _MCW_EM);
  standard_stream(Stream::input);  // the standard handles as they are at start
  event_lock();
  closing_lock();
}

namespace {
Handle& standard_slot(Stream stream) {
  static Handle handles[] = {
      standard_handle(STD_INPUT_HANDLE),
      standard_handle(STD_OUTPUT_HANDLE),
      standard_handle(STD_ERROR_HANDLE),
  };
  return handles[static_cast<int>(stream)];
}
}  // namespace

Handle standard_stream(Stream stream) { return standard_slot(stream); }

Handle replace_standard_stream(Stream stream, Handle h) { return std::exchange(standard_slot(stream), h); }

bool read_some(Handle h, char* buf, size_t cap, size_t* got, ErrorCode* error) {
  if (!usable(h, error)) return false;
  DWORD n = 0;
  if (ReadFile(os(h), buf, static_cast<DWORD>(std::min(cap, kMaxRead)), &n, nullptr)) {
    if (n == 0) await_console_event(os(h));
    *got = n;
    return true;
  }
  DWORD e = GetLastError();
  if (e == ERROR_BROKEN_PIPE) {  // the writer has left
    *got = 0;
    return true;
  }
  if (e == ERROR_OPERATION_ABORTED) await_console_event(os(h));
  *error = static_cast<ErrorCode>(e);
  return false;
}

bool write_all(Handle h, const char* bytes, size_t n, size_t* written, ErrorCode* error) {
  *written = 0;
  if (n > 0 && !usable(h, error)) return false;
  while (*written < n) {
    DWORD put = 0;
    if (!WriteFile(os(h), bytes + *written, static_cast<DWORD>(std::min(n - *written, kMaxWrite)), &put, nullptr))
      return failed(error);
    if (put == 0) {
      *error = ERROR_DISK_FULL;
      return false;
    }
    *written += put;
  }
  return true;
}

Refusal classify_refusal(ErrorCode error) { return windows_names::classify(error); }

bool open_for_reading(const std::string& name, Handle* handle, ErrorCode* error) {
  bool read_only;
  return open_file(name, GENERIC_READ, OPEN_EXISTING, handle, &read_only, error);
}

bool open_for_writing(const std::string& name, Handle* handle, bool* read_only, ErrorCode* error) {
  return open_file(name, GENERIC_WRITE, OPEN_ALWAYS, handle, read_only, error);
}

bool file_kind(Handle h, FileKind* kind, ErrorCode* error) {
  SetLastError(NO_ERROR);
  DWORD type = GetFileType(os(h));
  if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return failed(error);
  *kind = {};
  if (type != FILE_TYPE_DISK) {
    // A pipe or a device: no second name reaches the same connection.
    kind->identity = {kNoVolume, static_cast<uint64_t>(h)};
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(os(h), &info)) return failed(error);
  kind->directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  kind->regular = !kind->directory;
  kind->empty = info.nFileSizeHigh == 0 && info.nFileSizeLow == 0;
  kind->identity = {info.dwVolumeSerialNumber, uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
  return true;
}

// A console, or another character device (NUL, a serial port), which takes
// what it gets at once anyway.
bool is_terminal(Handle h) {
  ErrorCode ignored;
  return usable(h, &ignored) && GetFileType(os(h)) == FILE_TYPE_CHAR;
}

// Share modes refuse a second connection before the program sees it, with
// this code; the program's own check then says the same.
ErrorCode file_busy_error() { return ERROR_SHARING_VIOLATION; }

bool position_at_end(Handle h, int64_t* end, ErrorCode* error) {
  LARGE_INTEGER zero{}, at;
  if (!SetFilePointerEx(os(h), zero, &at, FILE_END)) return failed(error);
  *end = at.QuadPart;
  return true;
}

bool cut_at(Handle h, int64_t offset, ErrorCode* error) {
  LARGE_INTEGER zero{}, here, cut;
  cut.QuadPart = offset;
  if (!SetFilePointerEx(os(h), zero, &here, FILE_CURRENT)) return failed(error);
  bool done = SetFilePointerEx(os(h), cut, nullptr, FILE_BEGIN) && SetEndOfFile(os(h));
  DWORD e = GetLastError();
  if (!SetFilePointerEx(os(h), here, nullptr, FILE_BEGIN) && done) return failed(error);
  if (!done) *error = static_cast<ErrorCode>(e);
  return done;
}

bool close_handle(Handle h, ErrorCode* error) { return usable(h, error) && (CloseHandle(os(h)) || failed(error)); }

// Opened without access, which no share mode refuses.
bool name_identity(const std::string& name, FileIdentity* identity) {
  if (!windows_names::taken_whole(name)) return false;
  HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FileKind kind;
  ErrorCode ignored;
  bool known = file_kind(reinterpret_cast<Handle>(h), &kind, &ignored) && kind.identity.volume != kNoVolume;
  CloseHandle(h);
  if (known) *identity = kind.identity;
  return known;
}

bool replace_file(const std::string& from, const std::string& to, ErrorCode* error) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) || failed(error);
}

void remove_file(const char* name) { DeleteFileA(name); }

unsigned process_id() { return GetCurrentProcessId(); }

// A name Windows cannot make absolute (a NUL inside, or one too long for it)
// is made absolute as text: a name too long for the ANSI file API is never
// handed to it, which might read only part of it.
std::string absolute_name(std::string_view name) {
  std::string given(name);
  if (given.empty()) return given;
  std::string full, current;
  auto full_path = [&](DWORD size, char* buf) { return GetFullPathNameA(given.c_str(), size, buf, nullptr); };
  if (windows_names::taken_whole(given) && name_from(full_path, &full)) return full;
  if (!name_from(GetCurrentDirectoryA, &current)) return given;
  return windows_names::absolute_lexically(given, current);
}

bool name_exists(const std::string& resolved) {
  if (resolved.empty() || !windows_names::taken_whole(resolved)) return false;
  DWORD attributes = GetFileAttributesA(resolved.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return device_defined(resolved);
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || link_target_exists(resolved);
}

bool make_folders(const std::string& resolved, ErrorCode* error) {
  if (resolved.empty() || !windows_names::taken_whole(resolved)) {
    *error = resolved.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  DWORD attributes = GetFileAttributesA(resolved.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    *error = ERROR_DIRECTORY;
    return false;
  }
  // The folder above first; a drive's root and a share are always there.
  size_t separator = resolved.find_last_of("\\/");
  if (separator != std::string::npos && separator > 0 && separator + 1 < resolved.size() &&
      !make_folders(resolved.substr(0, separator), error))
    return false;
  return CreateDirectoryA(resolved.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS || failed(error);
}

bool is_local_name(std::string_view name) { return windows_names::is_local_name(name); }

std::string error_description(ErrorCode error) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  // "sysmem" is the run-time library's own spelling of this text, kept as is.
  if (n == 0) return "FormatMessage failed for sysmem message number " + std::to_string(error);
  std::string description(text, n);
  LocalFree(text);
  return description;
}

// An interrupt that was disabled for the program when it started (a new
// process group, or a parent that ignores it) never reaches the handler:
// Windows checks the inherited flag itself, and the program never clears it.
void install_console_events(EventActions actions) {
  event_lock();
  g_actions = actions;
  SetConsoleCtrlHandler(on_control, TRUE);
}

EventHoldMayEndRun::EventHoldMayEndRun(Held what) : what_(what) {
  EnterCriticalSection(event_lock());
  if (what_ == Held::report) InterlockedIncrement(&g_report_holds);
}

// The release lets an event's thread that waits for it end the run.
EventHoldMayEndRun::~EventHoldMayEndRun() {
  // The line of an event that came during a failure report follows it now,
  // also when a hold around the report still keeps the event's end waiting.
  if (what_ == Held::report && InterlockedDecrement(&g_report_holds) == 0) {
    LONG taken = InterlockedCompareExchange(&g_event_plus_one, 0, 0);
    if (taken) report_once(static_cast<ConsoleEvent>(taken - 1));
  }
  LeaveCriticalSection(event_lock());
}

ClosingTurn::ClosingTurn() { EnterCriticalSection(closing_lock()); }
ClosingTurn::~ClosingTurn() { LeaveCriticalSection(closing_lock()); }

// Events come on threads of their own: a second one ends the run whatever
// this thread waits for.
EventsLetThrough::EventsLetThrough() {}
EventsLetThrough::~EventsLetThrough() {}

// The status Windows itself gives a console program ended by Ctrl-C: a
// batch file sees that the run was interrupted.
void end_by_console_event(ConsoleEvent) { ExitProcess(STATUS_CONTROL_C_EXIT); }

void exit_process(unsigned status) { ExitProcess(status); }

bool code_module(uintptr_t pc, const char** image, uintptr_t* offset) {
  HMODULE module;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(pc), &module))
    return false;
  if (!module_name(module, image)) return false;
  *offset = pc - reinterpret_cast<uintptr_t>(module);
  return true;
}

const char* program_path() {
  static char path[32768];
  static const bool known = [] {
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return n > 0 && n < sizeof path;
  }();
  return known ? path : nullptr;
}

}  // namespace platform
