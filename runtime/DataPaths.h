// SPDX-License-Identifier: MIT
// Data files live next to the plug-in library, not in the host's working folder. Both "\" and
// "/" count as separators everywhere.
#pragma once

#include <string>

struct SliderRecord;

// The library's folder (up to and including the last separator of the library's file name)
// followed by `name`, with one leading separator of `name` dropped. An unknown library path
// gives an empty folder.
std::string DataPath(const std::string& name);

// The same, for a given library file name.
std::string DataPathFor(const std::string& moduleFile, const std::string& name);

// Appends to the record's option texts the bare name of every entry of `folder` that does not
// begin with "." and whose status (looked up as folder + name, run together) can be read and is
// not a directory, in listing order. A folder that cannot be opened appends nothing.
void ListDataFiles(const std::string& folder, SliderRecord& record);
