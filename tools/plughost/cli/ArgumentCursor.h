// SPDX-License-Identifier: MIT
// Walking the arguments of one command, and reading the values of its options.
#pragma once

#include "core/Failure.h"

#include <optional>
#include <string>
#include <vector>

namespace plughost {

// Walks the arguments of one command, splitting "--name=value" and "--name value". help names
// where a usage error points to.
class ArgumentCursor {
public:
    ArgumentCursor(const std::vector<std::string>& args, std::string command,
                   std::string help = "plughost --help")
        : m_args(args), m_command(std::move(command)), m_help(std::move(help)) {}

    bool next();
    const std::string& current() const { return m_current; }
    bool isOption() const { return m_current.size() > 1 && m_current[0] == '-'; }
    bool is(const char* shortName, const char* longName) const {
        return (shortName != nullptr && m_current == shortName) || m_current == longName;
    }
    // The option's value (inline or the next argument).
    std::string value();
    // The option takes no value: refuses "--flag=value".
    void noInlineValue() const;
    [[noreturn]] void unknown() const;
    // A usage error of this command.
    [[noreturn]] void fail(const std::string& message) const;
    const std::string& command() const { return m_command; }
    // The arguments the current option took, as given.
    std::vector<std::string> raw() const;

private:
    const std::vector<std::string>& m_args;
    std::string m_command;
    std::string m_help;
    std::size_t m_index = 0;
    std::size_t m_start = 0;
    std::string m_current;
    std::optional<std::string> m_inlineValue;
};

// Values of options, each refused with a UsageError naming the option and what it takes.
int integerIn(const std::string& text, const std::string& option, int low, int high,
              const std::string& help = "plughost --help");
// A number above low (or from low, when inclusive) and at most high.
double numberIn(const std::string& text, const std::string& option, double low, bool inclusive,
                double high, const std::string& expected,
                const std::string& help = "plughost --help");

} // namespace plughost
