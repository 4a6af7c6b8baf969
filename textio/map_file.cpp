// SPDX-License-Identifier: Apache-2.0
#include "textio/map_file.h"

#include <string>
#include <utility>

#include "endings/ending.h"
#include "textio/file_names.h"
#include "textio/record_files.h"
#include "textio/unit_table.h"

namespace {

// Beside the map's file, so that the rename stays in one folder and one
// file system; the process number keeps parallel runs apart.
std::string temporary_name(const std::string& name) {
  return name + "." + std::to_string(platform::process_id()) + ".tmp";
}

}  // namespace

void open_map_file(std::string_view given) {
  Connection& c = connection(FileUnit::map);
  platform::Handle held = platform::kNoHandle;
  if (file_exists(given)) {
    // Opened as a list file would be, and held while the run lasts: another
    // run can not take it meanwhile.
    open_unit(FileUnit::map, given, OpenMode::create);
    if (c.read_only) raise_unit_failure(Failure::read_only_file, FileUnit::map);
    if (!c.regular) return;  // a pipe or a device takes the map directly
    held = c.handle;
  } else {
    c.name = resolve_name(given);
  }
  std::string temporary = temporary_name(c.name);
  // From its making until the closing knows its name, an event waits: it
  // could not remove the file otherwise.
  platform::EventHoldMayEndRun hold;
  platform::Handle h;
  bool read_only;
  platform::ErrorCode error;
  if (!platform::open_for_writing(temporary, &h, &read_only, &error)) open_refused(FileUnit::map, error);
  platform::FileKind kind;
  if (!platform::file_kind(h, &kind, &error)) {
    close_refused(h);
    open_refused(FileUnit::map, error);
  }
  if (read_only) {
    close_refused(h);
    raise_unit_failure(Failure::read_only_file, FileUnit::map);
  }
  // A temporary name that reaches a file of this run, or no file on disk,
  // is not taken over.
  if (!kind.regular || connected_elsewhere(FileUnit::map, kind.identity)) {
    close_refused(h);
    raise_unit_failure(Failure::open_failure, FileUnit::map, platform::file_busy_error());
  }
  c.handle = h;
  c.held = held;
  c.temporary = std::move(temporary);
  c.regular = true;
  c.connected = true;
}

void commit_map_file(std::string_view document) {
  Connection& c = connection(FileUnit::map);
  platform::ErrorCode error = 0;
  size_t written;
  if (!platform::write_all(c.handle, document.data(), document.size(), &written, &error))
    raise_unit_failure(Failure::write_error, FileUnit::map, error);
  // A temporary file that an earlier run of the same number left may be longer.
  if (c.regular && !platform::cut_at(c.handle, static_cast<int64_t>(document.size()), &error))
    raise_unit_failure(Failure::write_error, FileUnit::map, error);
  bool closed, placed = true;
  {
    // An event comes before the map is in place, or after.
    platform::EventHoldMayEndRun hold;
    c.connected = false;
    closed = platform::close_handle(c.handle, &error);
    if (c.held != platform::kNoHandle) close_refused(c.held);
    c.held = platform::kNoHandle;
    if (!c.temporary.empty()) {
      placed = closed && platform::replace_file(c.temporary, c.name, &error);
      if (!placed) platform::remove_file(c.temporary.c_str());
      c.temporary.clear();
    }
  }
  if (!closed) raise_unit_failure(Failure::close_error, FileUnit::map, error);
  if (!placed) raise_unit_failure(Failure::write_error, FileUnit::map, error);
}
