// SPDX-License-Identifier: MIT
// parameters: every parameter swept over 0..1 twice, and indices out of range.
#include "validate/CheckSupport.h"

#include <algorithm>
#include <cmath>

namespace plughost::validate {
namespace {

// One parameter over the sweep; each kind of finding is reported once per parameter.
class Sweep {
public:
    Sweep(Findings& out, Plugin& plugin, VstInt32 index, int steps)
        : m_out(out), m_plugin(plugin), m_index(index),
          m_displays(static_cast<std::size_t>(steps)) {
        m_where.parameter = index;
        m_where.parameterName = plugin.parameterName(index);
    }

    // The first pass judges values and texts; the second compares the texts with the first's.
    void step(int pass, int k, float value) {
        m_out.stage("setting parameter " + std::to_string(m_index) + " to " + number(value),
                    m_where);
        m_plugin.setParameter(m_index, value);
        const float back = m_plugin.parameter(m_index);
        const std::string display = writtenText(m_plugin, effGetParamDisplay, m_index).text;
        std::string& first = m_displays[static_cast<std::size_t>(k)];
        const std::string at = "at " + number(value);
        if (pass == 1) {
            if (display != first)
                displayFailure("a parameter's display text differs between two sweeps",
                               at + ", " + quote(first) + " then " + quote(display));
            return;
        }
        first = display;
        judgeValue(k, value, back);
        if (display.empty())
            displayFailure("a parameter's display text is empty", at);
        else if (writtenText(m_plugin, effGetParamDisplay, m_index).text != display)
            displayFailure("a parameter's display text changes when asked twice",
                           at + ", " + quote(display) + " first");
        if (std::isfinite(back)) {
            m_plugin.setParameter(m_index, back);
            const float again = m_plugin.parameter(m_index);
            if (std::fabs(again - back) > 1e-6f)
                orderWarning("a parameter set to the value it read back reads another",
                             number(back) + " reads " + number(again));
        }
    }

private:
    void judgeValue(int k, float value, float back) {
        if (!(back >= 0.0f && back <= 1.0f)) {
            if (!m_valueFailed)
                m_out.fail("a parameter reads back a value outside 0 to 1",
                           "set to " + number(value) + ", reads " + number(back), m_where);
            m_valueFailed = true;
        } else if (k > 0 && back < m_previous - 1e-6f) {
            orderWarning("a parameter reads back less at a higher setting",
                         number(back) + " at " + number(value) + ", " + number(m_previous) +
                             " one step lower");
        }
        m_previous = back;
    }
    void displayFailure(const std::string& summary, const std::string& detail) {
        if (!m_displayFailed) m_out.fail(summary, detail, m_where);
        m_displayFailed = true;
    }
    void orderWarning(const std::string& summary, const std::string& detail) {
        if (!m_orderWarned) m_out.warn(summary, detail, m_where);
        m_orderWarned = true;
    }

    Findings& m_out;
    Plugin& m_plugin;
    VstInt32 m_index;
    Case m_where;
    std::vector<std::string> m_displays; // per step, from the first pass
    bool m_valueFailed = false;
    bool m_orderWarned = false;
    bool m_displayFailed = false;
    float m_previous = 0.0f;
};

// Indices out of range must be ignored, and must not change the parameters in range.
void checkIndicesOutOfRange(Findings& out, Plugin& plugin, VstInt32 count) {
    for (VstInt32 i = 0; i < count; ++i)
        plugin.setParameter(i, 0.25f);
    const std::vector<float> before = readParameters(plugin, count);
    const VstInt32 all = plugin.parameterCount();
    for (const VstInt32 index : {all, all + 1, all + 1000, VstInt32{-1}}) {
        const std::string what = "parameter " + std::to_string(index) + " (out of range)";
        Case where;
        where.parameter = index;
        out.stage("reading and setting " + what);
        (void)plugin.parameter(index);
        plugin.setParameter(index, 0.75f);
        out.stage("asking for the texts of " + what);
        for (const VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            const WrittenText text = writtenText(plugin, opcode, index);
            if (text.written > kHostTextLimit || !text.terminated)
                judgeText(out, "a text of a parameter out of range", text, kHostTextLimit, where);
        }
    }
    const std::vector<float> after = readParameters(plugin, count);
    for (VstInt32 i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!(after[at] == before[at])) {
            Case where;
            where.parameter = i;
            out.fail("setting parameters out of range changed one in range",
                     "from " + number(before[at]) + " to " + number(after[at]), where);
            return;
        }
    }
}

} // namespace

void checkParameters(CheckContext& context) {
    Findings& out = context.out;
    const CheckedPlugin checked(context);
    Plugin& plugin = *checked;
    const VstInt32 count = std::min(plugin.parameterCount(), kMaxSweptParameters);
    const int steps = context.level >= kTopLevel ? 101 : 11;
    for (VstInt32 i = 0; i < count; ++i) {
        Sweep sweep(out, plugin, i, steps);
        for (int pass = 0; pass < 2; ++pass)
            for (int k = 0; k < steps; ++k)
                sweep.step(pass, k, static_cast<float>(k) / static_cast<float>(steps - 1));
    }
    if (plugin.record().getParameter != nullptr && plugin.record().setParameter != nullptr)
        checkIndicesOutOfRange(out, plugin, count);
    out.note(std::to_string(count) + " parameters swept over " + std::to_string(steps) +
             " values each, twice; out-of-range indices ignored");
}

} // namespace plughost::validate
