// SPDX-License-Identifier: Apache-2.0
// The survey map's file, unit 13. A file on disk gets the map only when the
// run completes, through a temporary file beside it that is renamed into
// place; every other ending removes the temporary file and leaves the old
// file untouched. A pipe or device gets the map directly, at the same moment.
#pragma once
#include <string_view>

// Made when the run starts, before the input is read: a file that cannot
// be written ends the run here, with the failure a list file of that name
// would give at its open (47 when it could only be read), and so does a
// file this run reads or writes already.
void open_map_file(std::string_view name);

// Writes the whole map and puts it in place.
void commit_map_file(std::string_view document);
