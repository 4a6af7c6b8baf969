// SPDX-License-Identifier: Apache-2.0
// The record scanner over an arbitrary input file and column choice, read
// the way a run reads it: the first three bytes choose the columns, the rest
// is the input.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "splitting/record_scanner.h"
#include "tests/run_ending.h"
#include "textio/record_files.h"

namespace {

// The input of every run, in a file of this process's own, removed at exit.
const std::string& input_path() {
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("segmentor-fuzz-scanner-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())))
          .string();
  static const int removed_at_exit = atexit([] { std::remove(input_path().c_str()); });
  (void)removed_at_exit;
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const Columns columns{1 + data[0] % 6, 1 + data[1] % 6, 1 + data[2] % 6};
  FILE* f = fopen(input_path().c_str(), "wb");
  if (!f) abort();
  fwrite(data + 3, 1, size - 3, f);
  fclose(f);
  fresh_run_status([&] {
    open_unit(FileUnit::input, input_path(), OpenMode::existing);
    DataRecord record;
    while (next_record(&record)) {
      std::string_view id;
      double x = 0, y = 0;
      scan_record(record, columns, &id, &x, &y);
      // The identifier is one field of the record's own text.
      if (id.data() < record.text.data() || id.data() + id.size() > record.text.data() + record.len ||
          id.find(' ') != std::string_view::npos)
        abort();
    }
    close_unit(FileUnit::input);
  });
  return 0;
}
