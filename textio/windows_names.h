// SPDX-License-Identifier: Apache-2.0
// How Windows treats the names the program opens: which line-file names stay
// in the current folder, and which refusal an open's error code stands for.
// Plain C++ with the system's error numbers spelled out, so that the rules
// build and are tested on every platform.
#pragma once
#include <string_view>

#include "textio/platform.h"

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
