// SPDX-License-Identifier: Apache-2.0
#include "tests/spawn.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

const char* const kSegmentorBinary = SEGMENTOR_BINARY;
#ifdef SEGMENTOR_STATIC
const char* const kNoWriteHook = "the program is linked statically: no library can be preloaded into it";
#else
const char* const kNoWriteHook = nullptr;
#endif
const std::string kBusyText = strerror(EBUSY);
const std::string kDiskFullText = strerror(ENOSPC);
const std::string kNotAFolderText = strerror(ENOTDIR);

bool SpawnResult::exited() const { return WIFEXITED(wait_status); }
int SpawnResult::exit_code() const { return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1; }
int SpawnResult::term_signal() const { return WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0; }

int failure_status(int number) { return number & 0xFF; }

namespace {

// A run of the program that takes longer than this has hung.
constexpr std::chrono::seconds kDeadline{60};

const char kUnprivilegedUser[] = "nobody";

// The descriptor the child gets as standard input; for a pipe, its write
// end, left here, in *feed.
int open_stdin(const SpawnOptions& o, int* feed) {
  if (o.stdin_is == Stdin::write_only) return open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (o.stdin_is == Stdin::pipe) {
    int p[2];
    // One page holds one write at a time: the pipe takes more only once
    // the program has read everything in it.
    if (pipe2(p, O_CLOEXEC) != 0 || fcntl(p[1], F_SETPIPE_SZ, 1) < 0) throw std::runtime_error("pipe");
    fcntl(p[1], F_SETFL, O_NONBLOCK);
    // A program that stops reading gives EPIPE here instead.
    signal(SIGPIPE, SIG_IGN);
    *feed = p[1];
    return p[0];
  }
  TempDir dir;  // removed once the file is open
  write_file(dir.file("stdin"), o.input);
  return open(dir.file("stdin").c_str(), O_RDONLY | O_CLOEXEC);
}

// In the child: the signals the program handles at their defaults and none
// blocked, whatever the test runner had; no core dumps.
void start_from_defaults() {
  for (int sig : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE}) signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  rlimit no_core = {0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
}

}  // namespace

Child::Child(const SpawnOptions& o) : deadline_(std::chrono::steady_clock::now() + kDeadline) {
  int in = open_stdin(o, &in_);
  int out[2], err[2];
  if (in < 0) throw std::runtime_error("standard input");
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    dup2(in, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(127);
    start_from_defaults();
    if (o.in_child) o.in_child();
    std::vector<char*> argv;
#ifdef SEGMENTOR_EMULATOR
    for (const char* word : {SEGMENTOR_EMULATOR}) argv.push_back(const_cast<char*>(word));
#endif
    argv.push_back(const_cast<char*>(kSegmentorBinary));
    for (const std::string& a : o.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in);
  close(out[1]);
  close(err[1]);
  streams_[0] = out[0];
  streams_[1] = err[0];
  feed(o.input);
}

Child::~Child() {
  if (in_ >= 0) close(in_);
  if (!reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &result_.wait_status, 0);
  }
  for (int fd : streams_)
    if (fd >= 0) close(fd);
}

void Child::feed(const std::string& bytes) {
  if (in_ >= 0) pending_ += bytes;
}

void Child::close_input() {
  close_input_ = true;
  if (pending_.empty() && in_ >= 0) {
    close(in_);
    in_ = -1;
  }
}

void Child::send(int sig) { kill(pid_, sig); }

bool Child::wait_for_output(const std::string& text) {
  return pump([&] { return result_.out.find(text) != std::string::npos; });
}

// The pipe of one page takes a write only once it is empty.
bool Child::wait_until_read() {
  return pump(
      [&] {
        pollfd in = {in_, POLLOUT, 0};
        return pending_.empty() && (in_ < 0 || (poll(&in, 1, 0) == 1 && in.revents == POLLOUT));
      },
      true);
}

SpawnResult Child::finish() {
  pump([] { return false; });
  if (!reaped_) waitpid(pid_, &result_.wait_status, 0);
  reaped_ = true;
#ifdef SEGMENTOR_EMULATOR
  // qemu-user adds a line of its own when a signal ends the program.
  if (size_t at = result_.err.rfind("qemu: uncaught target signal"); at != std::string::npos && result_.term_signal())
    result_.err.erase(at);
#endif
  return result_;
}

// Moves bytes until `done` holds: what is fed into standard input, output
// and errors out of theirs. False when both streams end first (the program
// has ended). At the deadline the program is killed, which ends them.
bool Child::pump(const std::function<bool()>& done, bool until_read) {
  char buf[65536];
  while (!done()) {
    if (streams_[0] < 0 && streams_[1] < 0) return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
    if (!killed_ && left.count() <= 0) {
      kill(pid_, SIGKILL);
      killed_ = true;
      ADD_FAILURE() << "segmentor did not end within " << kDeadline.count() << " s and was killed";
    }
    pollfd fds[3] = {{streams_[0], POLLIN, 0}, {streams_[1], POLLIN, 0}, {pending_.empty() && !until_read ? -1 : in_, POLLOUT, 0}};
    if (poll(fds, 3, killed_ ? -1 : static_cast<int>(left.count()) + 1) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(streams_[i], buf, sizeof buf);
      if (n > 0) {
        (i == 0 ? result_.out : result_.err).append(buf, static_cast<size_t>(n));
      } else {
        close(streams_[i]);
        streams_[i] = -1;
      }
    }
    if (fds[2].revents && !pending_.empty()) write_pending();
  }
  return true;
}

void Child::write_pending() {
  ssize_t n = write(in_, pending_.data(), pending_.size());
  if (n > 0) {
    pending_.erase(0, static_cast<size_t>(n));
  } else if (errno != EAGAIN) {
    pending_.clear();  // the program has closed its standard input
  }
  if (close_input_) close_input();
}

SpawnResult run_segmentor(const SpawnOptions& o) {
  Child child(o);
  child.close_input();
  return child.finish();
}

bool file_exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void drop_privileges() {
  if (geteuid() != 0) return;
  const passwd* pw = getpwnam(kUnprivilegedUser);
  if (!pw || setgroups(0, nullptr) != 0 || setgid(pw->pw_gid) != 0 || setuid(pw->pw_uid) != 0) _exit(126);
}

std::string permissions_untestable(const std::string& dir) {
  if (geteuid() != 0) return "";
  if (!getpwnam(kUnprivilegedUser)) return std::string("running as root, and there is no user ") + kUnprivilegedUser;
  pid_t pid = fork();
  if (pid == 0) {
    drop_privileges();
    _exit(access(kSegmentorBinary, X_OK) == 0 && access(dir.c_str(), W_OK | X_OK) == 0 ? 0 : 1);
  }
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  return std::string("running as root, and user ") + kUnprivilegedUser + " cannot reach " + kSegmentorBinary +
         " or " + dir + ": permissions cannot be tested";
}

void hook_write(const std::string& file, int write, int sig, int then) {
  setenv("LD_PRELOAD", WRITE_HOOK_LIBRARY, 1);
  setenv("SEGMENTOR_HOOK_FILE", file.c_str(), 1);
  setenv("SEGMENTOR_HOOK_WRITE", std::to_string(write).c_str(), 1);
  setenv("SEGMENTOR_HOOK_SIGNAL", (std::to_string(sig) + " " + std::to_string(then)).c_str(), 1);
  // The sanitizers' runtime wants to be loaded first; the hook comes before it.
  const char* asan = getenv("ASAN_OPTIONS");
  std::string options = asan ? std::string(asan) + ":" : "";
  setenv("ASAN_OPTIONS", (options + "verify_asan_link_order=0").c_str(), 1);
}

void output_to_closed_pipe() {
  int p[2];
  if (pipe(p) != 0) _exit(126);
  close(p[0]);
  dup2(p[1], 1);
  close(p[1]);
}

void error_to_full_pipe() {
  int p[2];
  if (pipe(p) != 0) _exit(126);
  // Filled until not one more byte goes in; the reading end stays open in
  // the program, unread.
  fcntl(p[1], F_SETFL, O_NONBLOCK);
  const char block[4096] = {};
  for (size_t size = sizeof block; size > 0; size /= 2)
    while (write(p[1], block, size) > 0) {
    }
  fcntl(p[1], F_SETFL, 0);
  dup2(p[1], 2);
  close(p[1]);
}

bool wait_for_file(const std::string& path, const std::string& bytes) {
  for (auto deadline = std::chrono::steady_clock::now() + kDeadline; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(std::chrono::milliseconds(1)))
    if (read_file(path) == bytes) return true;
  return false;
}
