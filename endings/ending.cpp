// SPDX-License-Identifier: Apache-2.0
#include "endings/ending.h"

#include <cstdlib>
#include <new>
#include <string>
#include <type_traits>

#include "endings/console_events.h"
#include "endings/ending_flags.h"
#include "endings/report_line.h"
#include "endings/run_seams.h"
#include "endings/traceback.h"
#include "platform/platform.h"

namespace {

const unsigned kSevereStatus = 0xC0000000u;
const size_t kReportBufferSize = 16384;  // the traceback table
const size_t kReportLineRoom = 512;      // a report line without its file name
const size_t kSystemLineRoom = 512;

EndHook g_end_hook = nullptr;

[[noreturn]] void end_process(unsigned status) {
  if (g_end_hook) g_end_hook(status);
  platform::exit_process(status);
}

bool write_to_stderr(const char* bytes, size_t n) { return platform::write_to(platform::Stream::error, bytes, n); }

// "runlib: " and the platform's text for the error, as a write of its own.
void write_system_line(platform::ErrorCode error) {
  char buf[kSystemLineRoom];
  ReportText line{buf, sizeof buf};
  line.put("runlib: ");
  line.put(platform::error_description(error));
  write_to_stderr(line.p, line.len);
}

// Writes out what the output files hold back and closes the file units; a
// close that fails ends the run with its own report, and leaves nothing
// more to close.
void close_units() {
  NamedUnit failed;
  if (!close_all_units(&failed)) raise_failure(Failure::close_error, failed);
}

// A stop begun while another is in progress ends the process at once: it
// prints nothing and closes nothing.
void begin_stop() {
  EndingFlags& flags = ending_flags();
  if (flags.stop_in_progress) end_process(kStopStatus);
  flags.stop_in_progress = true;
}

void out_of_memory() { raise_failure(Failure::no_memory, Unit::none); }

}  // namespace

void start_run() {
  platform::start_up();
  install_console_event_handler();
  std::set_new_handler(out_of_memory);
}

static_assert(std::is_same_v<platform::ErrorCode, int>, "raise_failure takes the platform's code as an int");

// The file name a report shows for a unit that is no file unit.
NamedUnit::NamedUnit(Unit unit) : unit(unit) {
  switch (unit) {
    case Unit::console_output:
    case Unit::error_output: name = "CONOUT$"; break;
    case Unit::console_input: name = "CONIN$"; break;
    case Unit::internal_read: name = "Internal List-Directed Read"; break;
    case Unit::input:
    case Unit::list:
    case Unit::line:
    case Unit::map:
    case Unit::none: name = "\"Unknown\""; break;
  }
}

void raise_failure(Failure number, NamedUnit unit, int system_error, std::string_view place) {
  // The failure ends the run: a console event that comes meanwhile waits,
  // its line following the report whole; only a second one ends it first.
  platform::EventHoldMayEndRun hold;
  {
    platform::EventHoldMayEndRun report_hold(platform::Held::report);
    if (system_error) write_system_line(system_error);

    // The report line holds the whole file name, however long; every byte of
    // it, and of the place line, may double when its LFs become CR LF.
    const size_t line_cap = kReportLineRoom + unit.name.size();
    const size_t report_cap = kReportBufferSize + 2 * (line_cap + place.size() + 1);
    char* heap = static_cast<char*>(malloc(line_cap + report_cap));
    // Without memory for the whole report, the report line goes out alone.
    char small_line[kReportLineRoom], small_report[2 * kReportLineRoom];
    char* line = heap ? heap : small_line;
    size_t n = compose_report_line(line, heap ? line_cap : sizeof small_line, Severity::severe, number, unit.unit,
                                   unit.name);
    ReportText report = heap ? ReportText{heap + line_cap, report_cap} : ReportText{small_report, sizeof small_report};
    // The report line's own CR LF goes through the LF-to-CR-LF turn like the
    // rest, so it ends in CR CR LF: the byte sequence reports have always had,
    // which tools that read them may count on.
    report.put({line, n});
    if (heap) {
      if (!place.empty()) {
        report.put(place);
        report.put('\n');
      }
      append_traceback(report);
    }
    write_to_stderr(report.p, report.len);
    free(heap);
  }
  close_units();
  end_process(kSevereStatus + static_cast<unsigned>(number));
}

void end_run(unsigned status) {
  close_units();
  end_process(status);
}

void stop_with_message(std::string_view text, unsigned status) {
  begin_stop();
  // One record on standard error: the whole text as given, then the line end.
  std::string record{text};
  record += "\r\n";
  if (!write_to_stderr(record.data(), record.size())) raise_failure(Failure::write_error, Unit::error_output);
  end_run(status);
}

void stop_without_message() {
  begin_stop();
  end_run(kStopStatus);
}

void set_end_hook(EndHook hook) { g_end_hook = hook; }
