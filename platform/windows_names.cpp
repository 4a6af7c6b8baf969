// SPDX-License-Identifier: Apache-2.0
#include "platform/windows_names.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/path_components.h"

namespace windows_names {

platform::Refusal classify(platform::ErrorCode error) {
  using platform::Refusal;
  switch (error) {
    case kFileNotFound:
    case kPathNotFound:
    case kDirectory:  // a component of the path is no directory
      return Refusal::not_found;
    case kAccessDenied:  // also a directory opened as a file
    case kWriteProtect:
      return Refusal::access_refused;
    case kInvalidName:
    case kBadPathname:
    case kFilenameExcedRange:
      return Refusal::bad_name;
    case kInvalidDrive:
    case kBadNetPath:
    case kBadNetName:
    case kNotReady:
      return Refusal::no_device;
    case kTooManyOpenFiles:
      return Refusal::too_many_files;
  }
  return Refusal::other;  // a sharing violation among them
}

bool taken_whole(std::string_view name) {
  return name.size() <= kMaxNameLength && name.find('\0') == std::string_view::npos;
}

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

bool starts_with_drive(std::string_view name) {
  return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

bool starts_with_two_separators(std::string_view name) {
  return name.size() >= 2 && is_separator(name[0]) && is_separator(name[1]);
}

// The length of an absolute name's root, without the separator after it:
// "\\server\share" (also "\\.\CON", "\\?\C:"), or a drive "C:".
size_t root_length(std::string_view name) {
  if (!starts_with_two_separators(name)) return starts_with_drive(name) ? 2 : 0;
  size_t server_end = name.find_first_of("\\/", 2);
  if (server_end == std::string_view::npos) return name.size();
  return std::min(name.find_first_of("\\/", server_end + 1), name.size());
}

// The root, then the components with "." and ".." resolved, a backslash
// before each; a drive alone gets one after it (C:\), a share or a device
// does not (\\.\CON).
std::string resolve_dots(std::string_view absolute) {
  size_t root = root_length(absolute);
  std::string out(absolute.substr(0, root));
  std::replace(out.begin(), out.end(), '/', '\\');
  std::vector<std::string_view> parts = platform::resolved_components(absolute.substr(root), "\\/");
  for (std::string_view p : parts) {
    out += '\\';
    out += p;
  }
  if (parts.empty() && !starts_with_two_separators(absolute)) out += '\\';
  return out;
}

bool same_letters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

// The serial and printer ports take a digit 1-9; Windows also takes the
// superscript digits one, two and three of its Western code page.
bool is_port_digit(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= '1' && u <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

bool is_dot_dot(std::string_view component) {
  size_t dots = 0;
  for (char c : component) {
    if (c == '.') ++dots;
    else if (c != ' ') return false;
  }
  return dots >= 2;
}

}  // namespace

bool is_device_name(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (base.ends_with(' ')) base.remove_suffix(1);
  while (base.starts_with(' ')) base.remove_prefix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (same_letters(base, device)) return true;
  return base.size() == 4 && (same_letters(base.substr(0, 3), "COM") || same_letters(base.substr(0, 3), "LPT")) &&
         is_port_digit(base[3]);
}

bool is_local_name(std::string_view name) {
  if (name.starts_with('\\') || name.starts_with('/')) return false;
  if (name.find(':') != std::string_view::npos) return false;
  for (;;) {
    size_t separator = name.find_first_of("\\/");
    std::string_view component = name.substr(0, separator);
    if (is_dot_dot(component) || is_device_name(component)) return false;
    if (separator == std::string_view::npos) return true;
    name.remove_prefix(separator + 1);
  }
}

std::string absolute_lexically(std::string_view name, std::string_view current) {
  std::string full;
  if (starts_with_two_separators(name) || (starts_with_drive(name) && name.size() > 2 && is_separator(name[2]))) {
    full = name;
  } else if (starts_with_drive(name)) {
    bool same_drive = starts_with_drive(current) && std::toupper(static_cast<unsigned char>(current[0])) ==
                                                        std::toupper(static_cast<unsigned char>(name[0]));
    full = same_drive ? std::string(current) : std::string(name.substr(0, 2));
    full += '\\';
    full += name.substr(2);
  } else if (!name.empty() && is_separator(name[0])) {
    full = current.substr(0, root_length(current));
    full += name;
  } else {
    full = current;
    full += '\\';
    full += name;
  }
  return resolve_dots(full);
}

}  // namespace windows_names
