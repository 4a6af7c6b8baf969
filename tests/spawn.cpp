// SPDX-License-Identifier: Apache-2.0
#include "tests/spawn.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

const char* const kSegmentorBinary = SEGMENTOR_BINARY;
const char kDirSeparator = '/';
const std::string kBusyText = strerror(EBUSY);
const std::string kDiskFullText = strerror(ENOSPC);

bool SpawnResult::exited() const { return WIFEXITED(wait_status); }
int SpawnResult::exit_code() const { return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1; }
int SpawnResult::term_signal() const { return WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0; }

int failure_status(int number) { return number & 0xFF; }

namespace {

// A run of the program that takes longer than this has hung.
constexpr std::chrono::seconds kDeadline{30};

const char kUnprivilegedUser[] = "nobody";

// Reads both pipes to their end. When the deadline passes first, the child
// is killed (its end closes the pipes) and the test fails.
void drain(pid_t child, int out_fd, int err_fd, std::string& out, std::string& err) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = 2;
  char buf[65536];
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  bool killed = false;
  while (open_count > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!killed && left.count() <= 0) {
      kill(child, SIGKILL);
      killed = true;
      ADD_FAILURE() << "segmentor did not end within " << kDeadline.count() << " s and was killed";
    }
    if (poll(fds, 2, killed ? -1 : static_cast<int>(left.count()) + 1) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

SpawnResult run_segmentor(const SpawnOptions& o) {
  TempDir stdin_dir;
  std::string stdin_path = stdin_dir.file("stdin");
  write_file(stdin_path, o.input);
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  pid_t pid = fork();
  if (pid == 0) {
    int in = o.stdin_closed ? open("/dev/null", O_WRONLY) : open(stdin_path.c_str(), O_RDONLY);
    dup2(in, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(127);
    if (o.in_child) o.in_child();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kSegmentorBinary));
    for (const std::string& a : o.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(kSegmentorBinary, argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  SpawnResult r;
  drain(pid, out[0], err[0], r.out, r.err);
  waitpid(pid, &r.wait_status, 0);
  return r;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "segmentor-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
  chmod(path_.c_str(), 0777);  // a child that dropped its privileges may write here
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

void hook_write(const std::string& file, int write, int sig) {
  setenv("LD_PRELOAD", WRITE_HOOK_LIBRARY, 1);
  setenv("SEGMENTOR_HOOK_FILE", file.c_str(), 1);
  setenv("SEGMENTOR_HOOK_WRITE", std::to_string(write).c_str(), 1);
  setenv("SEGMENTOR_HOOK_SIGNAL", std::to_string(sig).c_str(), 1);
  // The sanitizers' runtime wants to be loaded first; the hook comes before it.
  const char* asan = getenv("ASAN_OPTIONS");
  std::string options = asan ? std::string(asan) + ":" : "";
  setenv("ASAN_OPTIONS", (options + "verify_asan_link_order=0").c_str(), 1);
  signal(sig, SIG_DFL);  // whatever the test runner had
}
