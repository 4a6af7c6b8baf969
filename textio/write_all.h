// SPDX-License-Identifier: Apache-2.0
// Hands bytes to a descriptor: one write(2) for a record of up to 262144
// bytes, consecutive writes for a longer one.
#pragma once
#include <cstddef>

const size_t kMaxWrite = 262144;

// Returns false with errno set when the platform refuses a write; *written
// tells how many bytes got out before that.
bool write_all(int fd, const char* bytes, size_t n, size_t* written);
