// SPDX-License-Identifier: Apache-2.0
#include "driver/options.h"

#include <string>
#include <string_view>

#include "endings/ending.h"

namespace {

// The status of a command line the program cannot take, as other tools have it.
const unsigned kUsageStatus = 2;

// One row per option: a flag, or an option with a value, given as the next
// word or after "=".
struct Option {
  std::string_view name;
  bool RunOptions::*flag;
  std::string RunOptions::*value;
};

const Option kOptions[] = {
    {"--quiet", &RunOptions::quiet, nullptr},
    {"--strict", &RunOptions::strict, nullptr},
    {"--buffered", &RunOptions::buffered, nullptr},
    {"--output-dir", nullptr, &RunOptions::output_dir},
    {"--map", nullptr, &RunOptions::map},
};

[[noreturn]] void usage_error(const std::string& problem) {
  stop_with_message("segmentor: " + problem + "\r\nTry 'segmentor --help'.", kUsageStatus);
}

const Option* find_option(std::string_view name) {
  for (const Option& o : kOptions)
    if (o.name == name) return &o;
  return nullptr;
}

bool is_option_word(std::string_view word) {
  // --help and --version are requests only alone: here they are names.
  return word.starts_with("--") && word != "--help" && word != "--version";
}

}  // namespace

int read_options(int argc, const char* const* argv, RunOptions* options) {
  int i = 1;
  while (i < argc && is_option_word(argv[i])) {
    std::string_view word = argv[i++];
    if (word == "--") break;
    size_t equals = word.find('=');
    const Option* o = find_option(word.substr(0, equals));
    if (!o || (o->flag && equals != std::string_view::npos)) usage_error("unknown option " + std::string(word));
    if (o->flag) {
      options->*o->flag = true;
      continue;
    }
    std::string name{o->name};
    std::string& value = options->*o->value;
    if (!value.empty()) usage_error("option " + name + " given twice");
    if (equals != std::string_view::npos) {
      value = word.substr(equals + 1);
    } else if (i < argc) {
      value = argv[i++];
    }
    if (value.empty()) usage_error("option " + name + " needs a value");
  }
  return i;
}
