// SPDX-License-Identifier: Apache-2.0
#include "textio/xml_text.h"

namespace {

const int kMaxZeros = 12;  // written out before the exponent form takes over

void append_hex_byte(std::string& out, unsigned char byte) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
}

// The length of the UTF-8 character at the start of `s` when it is whole,
// well formed and allowed in XML (no surrogate, no U+FFFE or U+FFFF, nothing
// beyond U+10FFFF); 0 otherwise.
size_t xml_character_length(std::string_view s) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(0);
  size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  uint32_t min = n == 4 ? 0x10000 : n == 3 ? 0x800 : 0x80;
  if (lead < 0xC2 || lead > 0xF4 || s.size() < n) return 0;
  uint32_t code = lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  bool allowed = code >= min && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE &&
                 code != 0xFFFF;
  return allowed ? n : 0;
}

void append_digits(std::string& out, uint64_t value) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  while (n) out += digits[--n];
}

}  // namespace

void append_xml_text(std::string& out, std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    switch (byte) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          append_hex_byte(out, byte);
        } else if (byte < 0x80) {
          out += static_cast<char>(byte);
        } else if (size_t n = xml_character_length(text.substr(i))) {
          out += text.substr(i, n);
          i += n;
          continue;
        } else {
          append_hex_byte(out, byte);
        }
    }
    ++i;
  }
}

void append_scaled(std::string& out, int64_t mantissa, int exponent) {
  if (mantissa < 0) out += '-';
  uint64_t digits = mantissa < 0 ? 0 - static_cast<uint64_t>(mantissa) : static_cast<uint64_t>(mantissa);
  while (exponent < 0 && digits % 10 == 0 && digits) {
    digits /= 10;
    ++exponent;
  }
  if (digits == 0) exponent = 0;
  if (exponent > kMaxZeros || exponent < -kMaxZeros) {
    append_digits(out, digits);
    out += 'e';
    if (exponent < 0) out += '-';
    append_digits(out, static_cast<uint64_t>(exponent < 0 ? -exponent : exponent));
    return;
  }
  if (exponent >= 0) {
    append_digits(out, digits);
    if (digits) out.append(static_cast<size_t>(exponent), '0');
    return;
  }
  std::string text;
  append_digits(text, digits);
  size_t decimals = static_cast<size_t>(-exponent);
  if (text.size() <= decimals) text.insert(0, decimals + 1 - text.size(), '0');
  text.insert(text.size() - decimals, 1, '.');
  out += text;
}
