// SPDX-License-Identifier: Apache-2.0
#include "textio/console_events.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "textio/failure.h"
#include "textio/report_text.h"
#include "textio/termination.h"

namespace {

struct Event {
  int signal;
  const char* name;
  char report[128];  // composed ahead of time: the handler only writes it
  size_t report_len;
};

sigset_t g_mask_before_hold;

Event g_events[] = {
    {SIGINT, "control-C", {}, 0},
    {SIGQUIT, "control-BREAK", {}, 0},
    {SIGHUP, "window-CLOSE", {}, 0},
};

sigset_t event_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const Event& e : g_events) sigaddset(&set, e.signal);
  return set;
}

void on_console_event(int sig) {
  int saved = errno;
  for (const Event& e : g_events) {
    if (e.signal != sig) continue;
    ssize_t ignored = write(2, e.report, e.report_len);
    (void)ignored;
  }
  close_all_units(true);
  // End by the signal itself: default action, unblocked, raised again.
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigaction(sig, &dfl, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  errno = saved;
}

}  // namespace

void install_console_event_handlers() {
  for (Event& e : g_events) {
    char line[128];
    size_t n = compose_report_line(line, sizeof line, kError, 200, 0, e.name, strlen(e.name));
    ReportText report{e.report, sizeof e.report};
    report.put({line, n});
    e.report_len = report.len;

    struct sigaction old;
    if (sigaction(e.signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction sa = {};
    sa.sa_handler = on_console_event;
    sigfillset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(e.signal, &sa, nullptr);
  }
}

void block_console_events() {
  sigset_t set = event_set();
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void unblock_console_events() {
  sigset_t set = event_set();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void hold_ending_signals() {
  sigset_t set = event_set();
  sigaddset(&set, SIGTERM);
  sigprocmask(SIG_BLOCK, &set, &g_mask_before_hold);
}

void release_ending_signals() { sigprocmask(SIG_SETMASK, &g_mask_before_hold, nullptr); }
