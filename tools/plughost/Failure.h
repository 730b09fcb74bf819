// SPDX-License-Identifier: MIT
// The two ways a plughost command ends early. main() prints the text as one line after
// "plughost: " and exits with 1 (Failure) or 2 (UsageError).
#pragma once

#include <stdexcept>
#include <string>

namespace plughost {

// Something the user can act on: a missing file, a plug-in that does not load, a bad value.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command line that cannot be understood.
class UsageError : public Failure {
public:
    using Failure::Failure;
};

// Quotes a path or name for messages: 'name'.
inline std::string quote(const std::string& text) {
    return "'" + text + "'";
}

} // namespace plughost
