// SPDX-License-Identifier: Apache-2.0
#include "endings/console_events.h"

#include "endings/report_line.h"
#include "endings/ending_flags.h"
#include "platform/platform.h"

namespace {

// A report line of a console event is short: its name and the template.
const size_t kEventReportRoom = 128;

struct Event {
  platform::ConsoleEvent event;
  const char* name;
  char report[kEventReportRoom];  // composed ahead of time: the handler only writes it
  size_t report_len;
};

Event g_events[] = {
    {platform::ConsoleEvent::interrupt, "control-C", {}, 0},
    {platform::ConsoleEvent::break_key, "control-BREAK", {}, 0},
    {platform::ConsoleEvent::close, "window-CLOSE", {}, 0},
};

// Both run while the main work may still be running: they only write,
// close and end. A request to terminate has no report line.
void report_event(platform::ConsoleEvent event) {
  for (const Event& e : g_events) {
    if (e.event == event) platform::write_to(platform::Stream::error, e.report, e.report_len);
  }
}

void end_by_event(platform::ConsoleEvent event) {
  NamedUnit ignored{};  // a close that fails is not reported: the event ends the run
  close_all_units(&ignored);
  platform::end_by_console_event(event);
}

}  // namespace

void install_console_event_handler() {
  for (Event& e : g_events) {
    char line[kEventReportRoom];
    size_t n = compose_report_line(line, sizeof line, Severity::error, Failure::event_abort, Unit::none, e.name);
    ReportText report{e.report, sizeof e.report};
    report.put({line, n});
    e.report_len = report.len;
  }
  platform::install_console_events({report_event, end_by_event});
}
