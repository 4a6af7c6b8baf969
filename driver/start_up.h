// SPDX-License-Identifier: Apache-2.0
// Run-time conditions set before anything else runs.
#pragma once

// The platform's start-up (floating-point exceptions masked, broken-pipe and
// file-size-limit writes reported, closed standard streams occupied), the
// console event handler, and failure 41 for a failed allocation.
void start_up();
