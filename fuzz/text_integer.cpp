// SPDX-License-Identifier: Apache-2.0
// A command argument read as an integer: a value or failure 59, 64 or 24.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/run_ending.h"
#include "textio/free_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view argument(reinterpret_cast<const char*>(data), size);
  fresh_run_status([&] {
    int32_t n = 7;
    read_text_value(argument, &n);
  });
  return 0;
}
