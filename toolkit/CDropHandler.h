// SPDX-License-Identifier: MIT
// The frame's side of drag and drop: the platform's drop target forwards its four events
// here. Each drag is wrapped in a CDragContainer, kept in a module-wide slot (one drag at a
// time) from enter to leave or drop, and its events go down the frame's view tree at the
// current pointer position. Every event leaves the effect as the first of copy, move and link
// the source offers (enter and over), or untouched (drop, and any event without a drag).
#pragma once

#include "toolkit/platform/WindowSystem.h"

namespace VSTGUI {

class CDragContainer;
class CFrame;

class CDropHandler final : public platform::DropEvents {
public:
    explicit CDropHandler(CFrame* frame) : m_frame(frame) {}
    CDropHandler(const CDropHandler&) = delete;
    CDropHandler& operator=(const CDropHandler&) = delete;
    ~CDropHandler();

    void dragEnter(std::unique_ptr<platform::DropSource> source, std::uint32_t& effect) override;
    void dragOver(std::uint32_t& effect) override;
    void dragLeave() override;
    void drop() override;

    // The drag in progress, if any.
    static CDragContainer* currentDrag();
    // The first of copy, move and link in `offered`; `offered` itself when it has none.
    static std::uint32_t chooseEffect(std::uint32_t offered);

private:
    CFrame* m_frame;
};

} // namespace VSTGUI
