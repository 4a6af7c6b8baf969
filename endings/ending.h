// SPDX-License-Identifier: Apache-2.0
// How a run starts and ends. Every ending writes its report, if any, closes
// the units and ends the process:
// - normal end and the run driver's stops: the stop message, the units
//   closed, status 0 or 1 (end_run, stop_with_message);
// - a failure: the report on standard error (system line, report line,
//   traceback table) while console events are held off (the line of one
//   that came meanwhile follows the report whole), the units closed,
//   status 0xC0000000 + number (raise_failure);
// - a console event or SIGTERM (console_events.cpp, through the platform: a
//   signal handler on top of the main work on POSIX, a thread of its own on
//   Windows): the event arrives; it waits while a step of the main work
//   holds events off (a record's write, a connection made or broken, a
//   failure report), whose release goes on with the ending; its report line
//   is written; the units are cut back and closed; the process ends by the
//   event. A second event while the first waits or reports ends the run at
//   once, without a report line of its own.
// The closing of the units (close_all_units, through the record files) cuts
// every unfinished file back to its last whole record before it marks the
// unit closed, and one ending closes at a time, so every file ends with a
// whole record however two endings meet.
#pragma once
#include <string_view>

#include "endings/report_line.h"

// The run-time conditions set before anything else runs: the platform's
// start-up (floating-point exceptions masked, broken-pipe and file-size-limit
// writes reported, closed standard streams occupied), the console event
// handler, and failure 41 for a failed allocation.
void start_run();

// A unit as its report names it: a file unit with its file's resolved name,
// which the record files give; any other unit by its own name ("CONIN$").
struct NamedUnit {
  NamedUnit() = default;
  NamedUnit(Unit unit);  // every unit but a file unit names itself
  NamedUnit(Unit unit, std::string_view name) : unit(unit), name(name) {}
  Unit unit = Unit::none;
  std::string_view name;
};

// `system_error` is the platform's code of the call that failed (its
// ErrorCode), shown as the system line before the report line; 0 when the
// report has none. `place`, when given, says where in the input the failure
// lies: a line of its own, ended by CR LF, right after the report line.
[[noreturn]] void raise_failure(Failure number, NamedUnit unit, int system_error = 0,
                                std::string_view place = {});

// How the file units are closed at an ending, registered by the record files
// at their start, which keep the units; both safe in a console event
// handler. `write_out` writes the records held for outputs a reader may
// never take (a pipe), and is left out when an event ends the run at once.
// `close` writes the records held for files on disk, cuts every unfinished
// file back to its last whole record and closes every file unit still
// connected; it takes no hold when `may_wait` is false. False when a close
// failed, with that unit in *failed.
struct UnitClosing {
  void (*write_out)();
  bool (*close)(NamedUnit* failed, bool may_wait);
};
void register_unit_closing(UnitClosing closing);

// Normal end and the run driver's two stops. The stops end with status 1:
// a script must see that nothing was done. A stop's message goes to standard
// error whole, as one record.
inline constexpr unsigned kStopStatus = 1;
[[noreturn]] void end_run(unsigned status);
[[noreturn]] void stop_with_message(std::string_view text, unsigned status = kStopStatus);
[[noreturn]] void stop_without_message();
