// SPDX-License-Identifier: MIT
// Reference-counted base of the toolkit's shared objects: a new object holds one reference,
// `release` destroys it when the last one goes.
#pragma once

#include <cstdint>

namespace VSTGUI {

using CMessageResult = std::int32_t;

class CBaseObject {
public:
    CBaseObject() = default;
    virtual ~CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    virtual void release() {
        if (--m_referenceCount <= 0) delete this;
    }
    virtual void retain() { ++m_referenceCount; }
    // Messages are compared by the identity of their text constant; the base answers 0.
    virtual CMessageResult notify(CBaseObject* /*sender*/, const char* /*message*/) { return 0; }

    std::int32_t referenceCount() const noexcept { return m_referenceCount; }

private:
    std::int32_t m_referenceCount = 1;
};

} // namespace VSTGUI
