// SPDX-License-Identifier: MIT
#include "toolkit/CDropHandler.h"

#include "toolkit/CDragContainer.h"
#include "toolkit/CFrame.h"

namespace VSTGUI {

namespace {

CDragContainer* g_currentDrag = nullptr;
const CDropHandler* g_currentHandler = nullptr;

void clearSlot() {
    if (g_currentDrag) g_currentDrag->release();
    g_currentDrag = nullptr;
    g_currentHandler = nullptr;
}

} // namespace

CDropHandler::~CDropHandler() {
    // A frame that goes in the middle of a drag takes the drag's container with it.
    if (g_currentHandler == this) clearSlot();
}

CDragContainer* CDropHandler::currentDrag() {
    return g_currentDrag;
}

std::uint32_t CDropHandler::chooseEffect(std::uint32_t offered) {
    if (offered & platform::kDropEffectCopy) return platform::kDropEffectCopy;
    if (offered & platform::kDropEffectMove) return platform::kDropEffectMove;
    if (offered & platform::kDropEffectLink) return platform::kDropEffectLink;
    return offered;
}

void CDropHandler::dragEnter(std::unique_ptr<platform::DropSource> source, std::uint32_t& effect) {
    if (!source || !m_frame) {
        effect = platform::kDropEffectNone;
        return;
    }
    clearSlot(); // an enter without the leave of an earlier drag
    g_currentDrag = new CDragContainer(std::move(source));
    g_currentHandler = this;
    CCoordPoint where;
    m_frame->getCurrentMouseLocation(where);
    m_frame->onDragEnter(g_currentDrag, where);
    effect = chooseEffect(effect);
}

void CDropHandler::dragOver(std::uint32_t& effect) {
    if (!g_currentDrag || !m_frame) return;
    CCoordPoint where;
    m_frame->getCurrentMouseLocation(where);
    m_frame->onDragMove(g_currentDrag, where);
    effect = chooseEffect(effect);
}

void CDropHandler::dragLeave() {
    if (!g_currentDrag || !m_frame) return;
    CCoordPoint where;
    m_frame->getCurrentMouseLocation(where);
    m_frame->onDragLeave(g_currentDrag, where);
    clearSlot();
}

void CDropHandler::drop() {
    if (!g_currentDrag || !m_frame) return;
    CCoordPoint where;
    m_frame->getCurrentMouseLocation(where);
    m_frame->onDrop(g_currentDrag, where);
    clearSlot();
}

} // namespace VSTGUI
