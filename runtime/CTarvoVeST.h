// SPDX-License-Identifier: MIT
// The runtime's link back to the plug-in shell, through which every host query goes.
#pragma once

#include "CTarvoMemory.h"

class CVeST;

class CTarvoVeST : public CTarvoMemory {
public:
    // Set by the entry point right after it has made the shell (null when no shell was made).
    void SetShell(CVeST* shell) noexcept { m_shell = shell; }
    CVeST* Shell() const noexcept { return m_shell; }

protected:
    ~CTarvoVeST() = default;

private:
    CVeST* m_shell = nullptr; // not owned: the shell owns the effect
};
