// SPDX-License-Identifier: MIT
// The two ways a plughost command ends early. main() prints the text as one line after
// "plughost: " and exits with 1 (Failure) or 2 (UsageError); the README lists the codes.
#pragma once

#include <stdexcept>
#include <string>

namespace plughost {

// Something the user can act on: a missing file, a plug-in that does not load, a bad value.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command line that cannot be understood or asks for what cannot be done: an unknown option,
// a bad value, a parameter the plug-in does not have, an output that is one of the inputs.
// pointToHelp: whether the message should end by pointing at --help.
class UsageError : public Failure {
public:
    explicit UsageError(const std::string& message, bool pointToHelp = true)
        : Failure(message), m_pointToHelp(pointToHelp) {}
    bool pointToHelp() const { return m_pointToHelp; }

private:
    bool m_pointToHelp;
};

// Quotes a path or name for messages: 'name'.
inline std::string quote(const std::string& text) {
    return "'" + text + "'";
}

} // namespace plughost
