// SPDX-License-Identifier: Apache-2.0
// How Windows treats the names the program opens: which names its ANSI file
// API takes whole, how a name it cannot take is made absolute, which line-file
// names stay in the current folder, and which refusal an open's error code
// stands for.
// Plain C++ with the system's error numbers spelled out, so that the rules
// build and are tested on every platform.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace windows_names {

// The Windows error codes the program tells apart (values of winerror.h).
inline constexpr platform::ErrorCode kFileNotFound = 2;
inline constexpr platform::ErrorCode kPathNotFound = 3;
inline constexpr platform::ErrorCode kTooManyOpenFiles = 4;
inline constexpr platform::ErrorCode kAccessDenied = 5;
inline constexpr platform::ErrorCode kInvalidDrive = 15;
inline constexpr platform::ErrorCode kWriteProtect = 19;
inline constexpr platform::ErrorCode kNotReady = 21;
inline constexpr platform::ErrorCode kSharingViolation = 32;
inline constexpr platform::ErrorCode kBadNetPath = 53;
inline constexpr platform::ErrorCode kBadNetName = 67;
inline constexpr platform::ErrorCode kInvalidName = 123;
inline constexpr platform::ErrorCode kBadPathname = 161;
inline constexpr platform::ErrorCode kFilenameExcedRange = 206;
inline constexpr platform::ErrorCode kDirectory = 267;

// The longest name the ANSI file API takes without long-path awareness:
// MAX_PATH (260) less its terminating NUL. Counted in bytes, which is never
// less than the characters a name converts to in any ANSI code page.
inline constexpr size_t kMaxNameLength = 259;

// Whether the ANSI file API takes a name whole: no NUL inside (it would end
// the name there) and no longer than kMaxNameLength (a longer one is cut,
// refused, or even wrapped to its length modulo 65,536).
bool taken_whole(std::string_view name);

// A name made absolute against the folder `current` (itself absolute) as
// text alone: a root of its own ("\\server\share", "C:\") is kept, "C:x"
// is relative to `current` when that is on drive C and to "C:\" otherwise,
// "\x" is relative to the root of `current`; "/" becomes "\", empty and
// "." components go and ".." removes the one before it (never the root).
std::string absolute_lexically(std::string_view name, std::string_view current);

// The refusal an error code of CreateFile stands for.
platform::Refusal classify(platform::ErrorCode error);

// Whether Windows may take a name component for a device (CON, PRN, AUX,
// NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, in any letter case), whatever
// follows its first dot and whatever blanks surround the part before it.
bool is_device_name(std::string_view component);

// Whether a name stays in the current folder: it does not start with a
// separator, holds no ':' (a drive or a stream), and has no component that
// Windows may read as ".." (only dots and blanks, two dots or more) nor one
// that names a device. A backslash or a slash separates components.
bool is_local_name(std::string_view name);

}  // namespace windows_names
