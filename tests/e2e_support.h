// SPDX-License-Identifier: Apache-2.0
// What the end-to-end tests expect of a run, and the run itself: the bytes of
// records, count lines and report lines, a run in a scratch directory, and
// the files it leaves there.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/spawn.h"

// File name -> exact bytes.
using Files = std::map<std::string, std::string>;

// The traceback table's header line, as standard error shows it.
inline constexpr char kTableHeader[] =
    "Image              PC        Routine            Line        Source             \r\n";
// An input of three records in two lines after a header line.
inline const std::string kSmallInput = "LINE X Y\nL1 100 200\nL1 110 200\nL2 0 0\n";

// The console line before the records are split. (Defined here, so that
// constants of a test made of these are initialised after them.)
inline const std::string kAnnouncement = "  Processing the data file\r\n";
// The prompts, each after an empty plain line; no line end after a prompt.
inline const std::string kAskInput = " \r\n Enter name of the input data file : ";
inline const std::string kAskHead = " \r\n Enter the number of header lines : ";
inline const std::string kAskLine = " \r\n Enter the line column number : ";
inline const std::string kAskX = " \r\n Enter the X column number : ";
inline const std::string kAskY = " \r\n Enter the Y column number : ";
inline const std::string kAskList = " \r\n Enter name of the (optional) output data file : ";

// `value` right-aligned in `width` characters, or `width` asterisks.
std::string field(long value, size_t width);
// A coded record, the count line of a segment that ended, and the summary
// line.
std::string rec(const std::string& text, int code);
std::string count_line(const std::string& id, int records);
std::string complete(int segments);
// The banner's version row as this build writes it, 44 characters: for 1.0
// on Linux "*               Version 1.0 (Linux)        *".
std::string version_row();

// A system line: "runlib: ", the system's text and CR CR LF.
std::string system_line(const std::string& text);
// A severe report line: "runlib: severe (<n>): <text>" and CR CR LF.
std::string report(int number, const std::string& text);
// A console event's report line: "runlib: error (200): program aborting due
// to <event> event" and CR CR LF.
std::string event_report(const std::string& event);

// Why the traceback's rows name no routine, line or source, or null when
// they do.
extern const char* const kNoDebugInfoReader;

// Runs the program in dir with these arguments and standard input.
SpawnResult run_in(const std::string& dir, const std::vector<std::string>& args, const std::string& input = "",
                   std::function<void()> in_child = {}, Stdin stdin_is = Stdin::file);
// Standard output after the announcement ("<no announcement>" without one).
std::string console(const SpawnResult& r);

// The lines of a text, each without its CR LF; an unterminated tail is one.
std::vector<std::string> split_lines(const std::string& text);
// Standard error begins with `want`.
void expect_err_start(const SpawnResult& r, const std::string& want);

// Every regular file in dir but `left_out`, with its exact bytes.
void expect_files(const std::string& dir, const Files& want, const std::string& left_out = "");
