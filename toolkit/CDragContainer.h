// SPDX-License-Identifier: MIT
// The data of one drag, handed out item by item as UTF-8 byte strings: one text, or the
// dragged file paths with shell shortcuts resolved to their targets. The current item lives
// until the next one is read or the container goes.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/platform/WindowSystem.h"

#include <cstdint>
#include <memory>
#include <string>

namespace VSTGUI {

class CDragContainer : public CBaseObject {
public:
    enum : std::int32_t {
        kFile = 0,
        kText = 1,
        kUnicodeText = 2, // type reported by next() for a text item
        kUnknown = -1,
        kError = -2
    };

    // Takes over the drag's data source (none gives a container that answers kError).
    explicit CDragContainer(std::unique_ptr<platform::DropSource> source);
    ~CDragContainer() override;

    virtual const char* first(std::int32_t& size, std::int32_t& type);
    virtual const char* next(std::int32_t& size, std::int32_t& type);
    // kError without data; kText when a text is offered, else kFile. The index is not used.
    virtual std::int32_t getType(std::int32_t index) const;
    virtual std::int32_t getCount() const { return m_count; }

    // True if `path`'s file name ends in ".lnk", in any case.
    static bool isShortcutPath(const std::u16string& path);

private:
    std::unique_ptr<platform::DropSource> m_source;
    std::int32_t m_count = 0;
    std::int32_t m_index = 0;
    std::unique_ptr<std::string> m_item;
};

} // namespace VSTGUI
