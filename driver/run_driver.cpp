// SPDX-License-Identifier: Apache-2.0
#include "driver/run_driver.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "driver/options.h"
#include "driver/version.h"
#include "endings/ending.h"
#include "platform/platform.h"
#include "textio/console_output.h"
#include "textio/file_names.h"
#include "textio/free_format.h"

namespace {

constexpr size_t kBannerWidth = 44;
constexpr int32_t kMaxHeaderLines = 64;  // as the validation message says

// The banner row of the version: "*               Version 1.0 (Linux)        *",
// or (Windows).
constexpr std::string_view kVersionLead = "*               Version ";
static_assert(kVersionLead.size() + kShownVersion.size() + kShownPlatform.size() + 3 < kBannerWidth,
              "the version must fit in the banner");

constexpr std::array<char, kBannerWidth> version_row() {
  std::array<char, kBannerWidth> row{};
  row.fill(' ');
  size_t n = 0;
  const std::string_view parts[] = {kVersionLead, kShownVersion, " (", kShownPlatform, ")"};
  for (std::string_view part : parts)
    for (char c : part) row[n++] = c;
  row.back() = '*';
  return row;
}
constexpr std::array<char, kBannerWidth> kVersionRow = version_row();

constexpr std::string_view kBanner[] = {
    "********************************************",
    "*                                          *",
    "*               Segmentor                  *",
    "*                                          *",
    "*   This program reads a data file and     *",
    "*   splits it into a data file for each    *",
    "*   line in the file. Data columns are     *",
    "*   separated by spaces or commas          *",
    "*                                          *",
    "*              April,  2005                *",
    "*                                          *",
    {kVersionRow.data(), kVersionRow.size()},
    "*                                          *",
    "********************************************",
};
static_assert(std::all_of(std::begin(kBanner), std::end(kBanner),
                          [](std::string_view row) { return row.size() == kBannerWidth; }));

constexpr std::string_view kUsage[] = {
    " ",
    " Command line usage : ",
    "   Segmentor infile nHead LineCol XCol YCol {lstfil}",
    " ",
    " Where:",
    " ",
    " infile    - the input data file",
    " nHead     - the number of header lines at the start of the file",
    " LineCol   - the column number containing the Line field",
    " XCol,YCol - the column number of the X,Y coordinates",
    " lstfil    - the (optional) output line list file",
    " ",
    // "writen" is the usage text's own spelling, kept byte for byte.
    " Each line is writen to a separate file with the line number as name",
    " ",
};

// The platform's text of an error, without its line end.
std::string system_text(platform::ErrorCode error) {
  std::string text = platform::error_description(error);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

const std::string_view kMissingInput = " that file does not exist";

// The command arguments after the options: text(1) is the first.
struct Arguments {
  int count;
  const char* const* argv;  // argv[1] is the first
  std::string_view text(int position) const { return argv[position]; }
};

// Only as the sole word after the program name is --help or --version a
// request; anywhere else it is a file name or a number, as ./--help names a file.
bool only(int argc, const char* const* argv, std::string_view request) { return argc == 2 && argv[1] == request; }

void prompt(std::string_view text) {
  write_empty_plain_line();
  write_prompt_line(text);
}

// A number from its argument when given, otherwise typed at a prompt.
void acquire_number(const Arguments& args, int position, std::string_view question, int32_t* target) {
  if (args.count >= position) {
    read_text_value(args.text(position), target);
  } else {
    prompt(question);
    read_console_value(target);
  }
}

// The first failing test's message, or empty when all pass.
std::string_view validation_message(const RunParameters& p) {
  if (p.nHead < 0) return "The header line count cannot be negative";
  if (p.nHead > kMaxHeaderLines) return "The header line count cannot be more than 64";
  if (p.LineCol < 1) return "The line column cannot be zero";
  if (p.XCol < 1) return "The X column cannot be zero";
  if (p.YCol < 1) return "The Y column cannot be zero";
  return {};
}

}  // namespace

RunParameters run_driver(int argc, const char* const* argv) {
  if (only(argc, argv, "--version")) {
    std::string line = "segmentor ";
    line += kVersion;
    write_native_line(line);
    end_run(0);
  }
  RunParameters p;
  int first = read_options(argc, argv, p.options);
  const Arguments args{argc - first, argv + first - 1};
  const bool quiet = p.options.quiet;

  if (!quiet) {
    write_plain_line(" ");
    write_plain_line(" ");
    for (std::string_view row : kBanner) write_banner_line(row);
    for (std::string_view row : kUsage) write_plain_line(row);
  }
  if (only(argc, argv, "--help")) end_run(0);

  if (args.count >= 1) {
    p.infile = args.text(1);
  } else {
    prompt(" Enter name of the input data file : ");
    read_console_value(&p.infile);
  }
  if (!file_exists(p.infile))
    stop_with_message(kMissingInput);

  acquire_number(args, 2, " Enter the number of header lines : ", &p.nHead);
  acquire_number(args, 3, " Enter the line column number : ", &p.LineCol);
  acquire_number(args, 4, " Enter the X column number : ", &p.XCol);
  acquire_number(args, 5, " Enter the Y column number : ", &p.YCol);
  if (args.count < 6) {
    prompt(" Enter name of the (optional) output data file : ");
    read_console_line(&p.lstfil);
  } else {
    p.lstfil = args.text(6);
  }

  std::string_view problem = validation_message(p);
  if (!problem.empty()) {
    write_plain_line(problem);
    stop_without_message();
  }
  // Made before any file is opened, and only for a run that goes ahead.
  if (!p.options.output_dir.empty()) {
    if (platform::ErrorCode error = make_folder(p.options.output_dir))
      stop_with_message("segmentor: cannot use the output folder " + p.options.output_dir + ": " +
                        system_text(error));
  }
  if (!quiet) write_plain_line(" Processing the data file");
  return p;
}
