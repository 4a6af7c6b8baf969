// SPDX-License-Identifier: Apache-2.0
// The operating system as the program needs it, in the program's own terms.
// Each platform implements it in one file (platform_posix.cpp,
// platform_win32.cpp), and each way of walking the stack in one more
// (stack_walk_*.cpp); no file outside platform/ talks to the system or the
// toolchain.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// An open file or standard stream: a descriptor on POSIX, a HANDLE on Windows.
using Handle = intptr_t;
inline constexpr Handle kNoHandle = -1;

// The line end of the platform's own text files and tools.
#ifdef _WIN32
inline constexpr std::string_view kNativeLineEnd = "\r\n";
#else
inline constexpr std::string_view kNativeLineEnd = "\n";
#endif

// The platform's code of a failed call (errno, GetLastError()); 0 is none.
// A call that can fail answers false, its results through the pointers after
// its inputs and the code of its failure through `error`, last.
using ErrorCode = int;

// Masks every floating-point exception; makes a write to a pipe whose reader
// has left, or beyond a file-size limit, fail instead of ending the process;
// gives the standard streams that are closed a stand-in that still fails
// every read and write, so that no file of the run takes their place.
void start_up();

enum class Stream { input, output, error };
Handle standard_stream(Stream stream);

// Reads at most cap bytes: *got is their number, 0 at the end of the data
// (also a pipe whose writer has left).
bool read_some(Handle h, char* buf, size_t cap, size_t* got, ErrorCode* error);

// A write of more than this goes out in consecutive pieces.
inline constexpr size_t kMaxWrite = 262144;

// Writes all n bytes: one call for up to kMaxWrite. On failure returns false
// with *written the bytes that got out and *error the platform's code (a
// write that takes nothing counts as a full disk).
bool write_all(Handle h, const char* bytes, size_t n, size_t* written, ErrorCode* error);

// The same to a standard stream, for writes whose failure has no report:
// true when every byte got out.
inline bool write_to(Stream stream, const char* bytes, size_t n) {
  size_t written;
  ErrorCode ignored;
  return write_all(standard_stream(stream), bytes, n, &written, &ignored);
}

// Why the platform refused to open a file.
enum class Refusal {
  not_found,       // the file, or a directory on its path, is absent
  access_refused,  // also a write-protected medium, and a directory
  bad_name,        // a character, form or length the file system rejects
  no_device,       // the drive or device in the name does not exist
  too_many_files,
  other,           // anything else: reported with the platform's text
};

// The platform's mapping of its error codes, one table per platform: what
// a refused open's code means.
Refusal classify_refusal(ErrorCode error);

// The input: an existing file, for reading only; others may read it too.
bool open_for_reading(const std::string& name, Handle* handle, ErrorCode* error);
// An output file: for writing only (*read_only, reading only, when writing
// is refused), created when absent, old content kept, positioned at its
// start.
bool open_for_writing(const std::string& name, Handle* handle, bool* read_only, ErrorCode* error);

// A value that every name of one file shares.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

struct FileKind {
  bool directory = false;
  bool regular = false;  // a file on disk: it can be cut off and positioned
  bool empty = false;    // holds no byte (yet)
  FileIdentity identity;
};
bool file_kind(Handle h, FileKind* kind, ErrorCode* error);

// Whether the handle is a terminal (a console), where a user reads as it is written.
bool is_terminal(Handle h);

// The code a second connection to a file of this run reports.
ErrorCode file_busy_error();

// Moves the position to the end of the file and tells where that is.
bool position_at_end(Handle h, int64_t* end, ErrorCode* error);
// Cuts the file off at `offset`; the position stays where it is. Both are
// safe to call from a signal handler.
bool cut_at(Handle h, int64_t offset, ErrorCode* error);
bool close_handle(Handle h, ErrorCode* error);

// The identity of the file a name reaches now (links followed); false when
// it reaches none, or no file on disk.
bool name_identity(const std::string& name, FileIdentity* identity);
// Gives the file `from` the name `to` in one step, replacing a file of that
// name: a reader sees the old file or the new one, never a part.
bool replace_file(const std::string& from, const std::string& to, ErrorCode* error);
// Removes a file's name; safe to call from a signal handler.
void remove_file(const char* name);
// A number no other running process has.
unsigned process_id();

// The name made absolute against the current directory, with "." and ".."
// components resolved; an empty name stays empty.
std::string absolute_name(std::string_view name);
// Whether a resolved name exists as any kind of entry (links followed); a
// name the platform cannot take does not exist.
bool name_exists(const std::string& resolved);
// Makes the folder of a resolved name, and the folders above it, where
// missing; false with *error set when it cannot be made, or is there but is
// no folder the program may make files in.
bool make_folders(const std::string& resolved, ErrorCode* error);
// Whether a line file's name stays in the current directory: not absolute,
// no ".." component (and, where names can, no drive, stream or device).
bool is_local_name(std::string_view name);

// The platform's description of an error code as the system line carries it
// after "runlib: ", with its line end when the platform gives one.
std::string error_description(ErrorCode error);

// What ends a run from outside: the three console events (control-C,
// control-BREAK, window-CLOSE), and the request to terminate (SIGTERM), which
// only POSIX sends and which has no report line.
enum class ConsoleEvent { interrupt, break_key, close, terminate };

// What the program does with an event that ends the run: `report` writes
// its report line, and `end` closes every unit and ends the process, normally
// by end_by_console_event(). Both run on the platform's terms (a signal
// handler, or a thread of its own) while the main work may still be running,
// so they only write, cut, close and end.
struct EventActions {
  void (*report)(ConsoleEvent);
  // Must not return. `at_once` when a second event ends a run that waits:
  // nothing may then wait for a reader.
  void (*end)(ConsoleEvent, bool at_once);
};

// Registers the actions for these events (one that was ignored when the
// program started stays ignored). An event is reported when it comes (after
// a failure report being written, never into it) and then ends the run,
// once no hold is left; an event that comes while another waits (for a
// hold, or for a standard error that does not take its report) ends the
// run at once, with `end` alone, so that a reader who stops reading never
// makes the interrupt powerless.
void install_console_events(EventActions actions);

// What a hold keeps whole: records (their writes, with the cut-off of the
// old content behind a file's first records, and the making and breaking of
// a connection), or a failure report, which an event's line then follows.
enum class Held { records, report };

// While one of these lives, the end of the run by an event waits. The first
// event waits until the last hold ends, and that release ends the run: the
// destructor may not return. Taking a hold costs no system call.
class EventHoldMayEndRun {
 public:
  explicit EventHoldMayEndRun(Held what = Held::records);
  ~EventHoldMayEndRun();
  EventHoldMayEndRun(const EventHoldMayEndRun&) = delete;
  EventHoldMayEndRun& operator=(const EventHoldMayEndRun&) = delete;

 private:
  Held what_;
};

// While one of these lives, an ending closes the units, one ending at a
// time: on Windows, a second event's thread waits until the closing under
// way is done. A POSIX signal handler runs on top of the closing it
// interrupts, which never goes on, so it never waits: it closes what is left.
class ClosingTurn {
 public:
  ClosingTurn();
  ~ClosingTurn();
  ClosingTurn(const ClosingTurn&) = delete;
  ClosingTurn& operator=(const ClosingTurn&) = delete;
};

// While one of these lives, a second event can end the run at once, also
// in the end of the run by the first: around a write a reader may never
// take.
class EventsLetThrough {
 public:
  EventsLetThrough();
  ~EventsLetThrough();
  EventsLetThrough(const EventsLetThrough&) = delete;
  EventsLetThrough& operator=(const EventsLetThrough&) = delete;

 private:
  bool were_blocked_ = false;
};

// Ends the process the way the platform ends a program stopped by the event.
[[noreturn]] void end_by_console_event(ConsoleEvent event);
// Ends the process with a status word (POSIX keeps its low 8 bits).
[[noreturn]] void exit_process(unsigned status);

// For the traceback: the file name, without directory, of the module that
// holds a code address, and the address's offset in it; false when no
// module holds it. The name stays valid for the process.
bool code_module(uintptr_t pc, const char** image, uintptr_t* offset);

// The stack walk, one file per way of walking: stack_walk_backtrace.cpp
// (libbacktrace, which also reads the debug information) and
// stack_walk_unwind.cpp (the C++ runtime's unwinder alone).

// The code addresses of the active calls, each the address of its call,
// starting `skip` calls outward from the caller of walk_stack, at most
// `cap`. The walk ends after the outermost call. False when it failed
// before that, *count telling the addresses found until then.
bool walk_stack(int skip, uintptr_t* pcs, int cap, int* count);

// One call at a code address as the debug information tells it: the
// routine's name, demangled, and the source file's name without folder;
// null and 0 where it tells nothing.
struct CodeLine {
  const char* routine = nullptr;
  const char* source = nullptr;
  int line = 0;
};
// Calls `visit` for each call at `pc`, inlined calls first, until it answers
// false; without debug information, not at all.
using CodeLineVisit = bool (*)(void* data, const CodeLine& call);
void code_lines(uintptr_t pc, CodeLineVisit visit, void* data);

}  // namespace platform
