// SPDX-License-Identifier: Apache-2.0
// Record files: units 10 (the input, only read), 11 (the list file), 12
// (the current line file) and 13 (the map), all three only written, each
// output file in whole records, one write each or, buffered, many at a
// time. Every failure ends the run
// with its numbered report; the only other outcome a caller sees is the end
// of the input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "endings/report_line.h"
#include "textio/unit_table.h"

enum class OpenMode {
  existing,   // the input: opened for reading only, must exist
  create,     // an output file: created when absent, old content kept until
              // the first record written cuts it off
  line_file,  // as create, for a name that must stay in its folder (43
              // before any open otherwise); a file this run has written to
              // already is continued at its end instead
};

// Registers the closing of the units with the endings, before any unit is
// connected.
void start_record_files();

// A name is taken in `folder` when one is given, else in the current folder.
void open_unit(FileUnit unit, std::string_view name, OpenMode mode, std::string_view folder = {});

// A failure of a file unit, reported under its number and name.
[[noreturn]] void raise_unit_failure(Failure number, FileUnit unit, platform::ErrorCode error = 0);

// Lets go of a handle whose open the run refuses; its close cannot fail in
// a way worth a report.
void close_refused(platform::Handle h);

// The failure of an open the platform refused with `error`: only a refusal
// the program has no number of its own for shows the platform's text.
[[noreturn]] void open_refused(FileUnit unit, platform::ErrorCode error);

// Whether a file is connected to another unit of this run already: the
// input can not be overwritten, nor a line file be the list file, nor the
// map replace either.
bool connected_elsewhere(FileUnit unit, platform::FileIdentity id);

// Whether the unit continues a file this run had written to: what was
// written then, header lines included, stays in place.
bool continues_written_file(FileUnit unit);

// The next line of the input, whole, without its terminator. False at the
// end of the input. The view is valid until the next read.
bool read_record(FileUnit unit, std::string_view* record);

// Ends the run with `number`, the failure of reading a field of the line
// last read from `unit`, reported on unit -5 and followed by the line
//   segmentor: <unit's name>:<line number>: column <column>: "<field>"
// with the field cut to 80 bytes ("..." after a longer one) and its control
// bytes shown as \xNN; "missing" instead of an empty field, one beyond the
// end of the line.
[[noreturn]] void raise_field_failure(Failure number, FileUnit unit, int64_t column, std::string_view field);

// From now on, each output file opened holds its records in a buffer and
// writes them many at a time, whole, instead of one write per record.
void buffer_output_files();

// One record, its line end included, in one write, or, buffered, with the
// records before it once the buffer is full. The first record written after
// an open cuts off whatever followed it in the file. A write that fails
// midway cuts the file back to the end of the last whole record it got out.
void write_record(FileUnit unit, const char* bytes, size_t n);

// Writes out the records the unit's buffer holds.
void flush_unit(FileUnit unit);

// Writes out the buffer, then closes. A unit that is not connected is left
// alone.
void close_unit(FileUnit unit);
