// SPDX-License-Identifier: MIT
// Command lines for the programs plughost starts on Windows (batch files in their own process,
// validate's checks in plughost itself), built so that the C runtime's parser of the started
// program reads back exactly the arguments given (Windows build only).
#pragma once

#include <string>
#include <vector>

namespace plughost {

// One argument as the C runtime's command-line parser reads it back.
inline std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\'); // before the closing quote
    quoted.push_back('"');
    return quoted;
}

// The program and its arguments, each quoted, separated by spaces.
inline std::string commandLineOf(const std::string& program,
                                 const std::vector<std::string>& arguments) {
    std::string line = quoteArgument(program);
    for (const std::string& argument : arguments)
        line.append(" ").append(quoteArgument(argument));
    return line;
}

} // namespace plughost
