// SPDX-License-Identifier: Apache-2.0
// A whole run over an arbitrary input file in a scratch directory. The first
// bytes choose the parameters; the rest is the input file.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "endings/ending.h"
#include "splitting/line_segmenter.h"
#include "splitting/run_parameters.h"
#include "tests/run_ending.h"
#include "textio/unit_table.h"

namespace {

const std::filesystem::path& scratch() {
  static std::filesystem::path dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "segmentor-fuzz-XXXXXX").string();
    if (!mkdtemp(tmpl.data()) || chdir(tmpl.c_str()) != 0) abort();
    // Progress lines are not what is tested here.
    if (dup2(open("/dev/null", O_WRONLY), 1) != 1) abort();
    return std::filesystem::path(tmpl);
  }();
  // Registered once the path exists, so it runs before the path is destroyed.
  static const int removed_at_exit = atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(scratch(), ignored);
  });
  (void)removed_at_exit;
  return dir;
}

size_t open_descriptors() {
  size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) n += e.exists() ? 1 : 0;
  return n;
}

void empty_scratch() {
  for (const auto& e : std::filesystem::directory_iterator(scratch())) std::filesystem::remove_all(e.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  scratch();
  // Counted around each run: the fuzzer's own descriptors come and go.
  const size_t descriptors = open_descriptors();
  empty_scratch();
  FILE* f = fopen("in.xyz", "wb");
  fwrite(data + 4, 1, size - 4, f);
  fclose(f);
  RunParameters p;
  p.infile = "in.xyz";
  p.nHead = data[0] % 4;
  p.LineCol = 1 + data[1] % 4;
  p.XCol = 1 + data[2] % 4;
  p.YCol = 1 + (data[3] & 0x7F) % 4;
  p.lstfil = data[3] & 0x80 ? "list.lst" : "";
  fresh_run_status([&] {
    segment_lines(p);
    end_run(0);
  });
  // Whatever the ending, no descriptor stays open.
  for (FileUnit unit : kFileUnits)
    if (connection(unit).connected) abort();
  if (open_descriptors() != descriptors) abort();
  return 0;
}
