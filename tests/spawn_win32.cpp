// SPDX-License-Identifier: Apache-2.0
// Windows side of spawn.h: the binary runs through CreateProcess with its
// standard input from a file (or a handle open for writing only), its output
// and error captured through pipes, its exit code kept as the whole 32-bit
// word, and a deadline after which it is killed.
#include "tests/spawn.h"

#include <windows.h>

#include <stdexcept>
#include <thread>

const char* const kSegmentorBinary = SEGMENTOR_BINARY;

namespace {

// FormatMessageA's text of an error code, without the line end it gives.
std::string system_text(DWORD code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  std::string s(text, n);
  while (s.ends_with('\n') || s.ends_with('\r')) s.pop_back();
  return s;
}

}  // namespace

const std::string kBusyText = system_text(ERROR_SHARING_VIOLATION);
const std::string kDiskFullText = system_text(ERROR_DISK_FULL);
const std::string kNotAFolderText = system_text(ERROR_DIRECTORY);

// The process always exits on Windows: the deadline throws instead.
bool SpawnResult::exited() const { return true; }
int SpawnResult::exit_code() const { return wait_status; }
int SpawnResult::term_signal() const { return 0; }

int failure_status(int number) { return static_cast<int>(0xC0000000u + static_cast<unsigned>(number)); }

namespace {

constexpr DWORD kDeadlineMs = 60000;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

// Owns a handle; closing twice or never is the classic leak that keeps a
// pipe open and the reader waiting.
struct Handle {
  HANDLE h = nullptr;
  Handle() = default;
  explicit Handle(HANDLE handle) : h(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { reset(); }
  void reset() {
    if (h) CloseHandle(h);
    h = nullptr;
  }
};

// One argument as the C runtime's command-line parser reads it back: quotes
// around it when it is empty or holds a blank or a quote; inside them a quote
// gets a backslash, and the backslashes before a quote or the closing quote
// are doubled. Backslashes anywhere else stand for themselves.
std::string quote_argument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') backslashes = 2 * backslashes + 1;
    quoted.append(backslashes, '\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

// The program name is read up to its closing quote, without escapes.
std::string command_line(const std::string& program, const std::vector<std::string>& args) {
  std::string line = "\"" + program + "\"";
  for (const std::string& a : args) line += " " + quote_argument(a);
  return line;
}

std::string full_path(const char* name) {
  char buf[MAX_PATH];
  DWORD n = GetFullPathNameA(name, sizeof buf, buf, nullptr);
  if (n == 0 || n >= sizeof buf) fail("GetFullPathNameA");
  return std::string(buf, n);
}

SECURITY_ATTRIBUTES inheritable() { return SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE}; }

Handle open_stdin(const SpawnOptions& o, const std::string& stdin_path) {
  SECURITY_ATTRIBUTES sa = inheritable();
  HANDLE h = o.stdin_is == Stdin::write_only
                 ? CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr)
                 : CreateFileA(stdin_path.c_str(), GENERIC_READ, FILE_SHARE_READ, &sa, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) fail("opening standard input");
  return Handle(h);
}

// A pipe whose write end the child inherits; the read end stays here.
void make_pipe(Handle& read_end, Handle& write_end) {
  SECURITY_ATTRIBUTES sa = inheritable();
  if (!CreatePipe(&read_end.h, &write_end.h, &sa, 0)) fail("CreatePipe");
  if (!SetHandleInformation(read_end.h, HANDLE_FLAG_INHERIT, 0)) fail("SetHandleInformation");
}

void drain(HANDLE pipe, std::string& sink) {
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(pipe, buf, sizeof buf, &n, nullptr) && n > 0) sink.append(buf, n);
}

}  // namespace

SpawnResult run_segmentor(const SpawnOptions& o) {
  if (o.in_child) throw std::logic_error("in_child needs fork: no Windows equivalent");
  if (o.stdin_is == Stdin::pipe) throw std::logic_error("a fed pipe as standard input is POSIX's");
  TempDir stdin_dir;
  std::string stdin_path = stdin_dir.file("stdin");
  write_file(stdin_path, o.input);
  Handle in = open_stdin(o, stdin_path);
  Handle out_read, out_write, err_read, err_write;
  make_pipe(out_read, out_write);
  make_pipe(err_read, err_write);

  std::string program = full_path(kSegmentorBinary);
  std::string line = command_line(program, o.args);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in.h;
  si.hStdOutput = out_write.h;
  si.hStdError = err_write.h;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      o.cwd.empty() ? nullptr : o.cwd.c_str(), &si, &pi))
    fail("CreateProcessA " + line);
  Handle process(pi.hProcess), thread(pi.hThread);
  // The child holds its own copies: the pipes end when it does.
  in.reset();
  out_write.reset();
  err_write.reset();

  SpawnResult r;
  std::thread err_reader(drain, err_read.h, std::ref(r.err));
  std::thread out_reader(drain, out_read.h, std::ref(r.out));
  bool in_time = WaitForSingleObject(process.h, kDeadlineMs) == WAIT_OBJECT_0;
  if (!in_time) TerminateProcess(process.h, STATUS_TIMEOUT);
  WaitForSingleObject(process.h, INFINITE);
  out_reader.join();
  err_reader.join();
  DWORD code = 0;
  GetExitCodeProcess(process.h, &code);
  if (!in_time)
    throw std::runtime_error("killed after " + std::to_string(kDeadlineMs) + " ms: " + line +
                             "\nstdout: " + r.out + "\nstderr: " + r.err);
  r.wait_status = static_cast<int>(code);
  return r;
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Users and file modes are POSIX's: the tests of permissions skip here.
void drop_privileges() { throw std::logic_error("no user to drop to on Windows"); }
std::string permissions_untestable(const std::string&) { return "file modes and users are POSIX's"; }
