// SPDX-License-Identifier: MIT
#include "ArgumentCursor.h"

#include <charconv>

namespace plughost {

bool ArgumentCursor::next() {
    if (++m_index >= m_args.size()) return false;
    m_start = m_index;
    m_inlineValue.reset();
    m_current = m_args[m_index];
    const auto equals = m_current.find('=');
    if (m_current.rfind("--", 0) == 0 && equals != std::string::npos) {
        m_inlineValue = m_current.substr(equals + 1);
        m_current.resize(equals);
    }
    return true;
}

std::string ArgumentCursor::value() {
    if (m_inlineValue) return *m_inlineValue;
    if (m_index + 1 >= m_args.size()) fail(m_current + " needs a value");
    return m_args[++m_index];
}

void ArgumentCursor::noInlineValue() const {
    if (m_inlineValue) fail(m_current + " takes no value");
}

void ArgumentCursor::unknown() const {
    if (isOption()) fail("unknown option " + quote(m_current));
    fail("unexpected argument " + quote(m_current));
}

void ArgumentCursor::fail(const std::string& message) const {
    throw UsageError(m_command + ": " + message, m_help);
}

std::vector<std::string> ArgumentCursor::raw() const {
    return {m_args.begin() + static_cast<long>(m_start),
            m_args.begin() + static_cast<long>(m_index) + 1};
}

int integerIn(const std::string& text, const std::string& option, int low, int high,
              const std::string& help) {
    int value = 0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + " " + quote(text) + ": expected a whole number from " +
                             std::to_string(low) + " to " + std::to_string(high),
                         help);
    return value;
}

double numberIn(const std::string& text, const std::string& option, double low, bool inclusive,
                double high, const std::string& expected, const std::string& help) {
    double value = 0.0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool above = inclusive ? value >= low : value > low;
    if (error != std::errc() || next != text.data() + text.size() || !above || !(value <= high))
        throw UsageError(option + " " + quote(text) + ": expected " + expected, help);
    return value;
}

} // namespace plughost
