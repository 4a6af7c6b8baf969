// SPDX-License-Identifier: Apache-2.0
// A coordinate field read as a real: a value or failure 59, 64 or 24.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textio/free_format.h"
#include "textio/number_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  double x = 12.5;
  Failure failure;
  if (read_field_value(text, &x, &failure)) {
    if (std::isnan(x) || std::isinf(x)) abort();  // never a value out of range
  } else if (failure != Failure::syntax_error && failure != Failure::conversion_error && failure != Failure::end_of_file) {
    abort();
  }
  // The converter on the whole text, as for a token longer than a field.
  double y;
  if (numeric_token_valid(text) && convert_real(text, &y) && (std::isnan(y) || std::isinf(y))) abort();
  // The exact shortcut for plain decimals agrees with the C library, which
  // rounds correctly too.
  double quick;
  if (convert_short_decimal(text, &quick)) {
    std::string copy(text);
    double reference = strtod(copy.c_str(), nullptr);
    if (memcmp(&quick, &reference, sizeof quick) != 0) abort();
  }
  return 0;
}
