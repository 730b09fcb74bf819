// SPDX-License-Identifier: MIT
// OLE drag and drop for the frame's window: the drop target registered on the window, which
// hands each drag's events to the toolkit, and the reader of one drag's data object.
#pragma once

#include "toolkit/platform/WindowSystem.h"

#include <windows.h>

#include <ole2.h>

#include <memory>

namespace VSTGUI::win32 {

// Drop target registered on one window; forwards every event to the toolkit's `DropEvents`
// and answers S_OK. Reference counted the COM way: a new target holds one reference.
// COM interfaces have no virtual destructor; the object deletes itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DropTarget final : public IDropTarget {
public:
    explicit DropTarget(platform::DropEvents* events) noexcept : m_events(events) {}
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

private:
    ~DropTarget() = default;

    platform::DropEvents* m_events;
    ULONG m_references = 1;
};
#pragma GCC diagnostic pop

// The data of one drag, read from its data object (null allowed: nothing can be fetched).
std::unique_ptr<platform::DropSource> makeDropSource(IDataObject* data);

// The drop target this back end registered on `window` and has not revoked, or null. The
// answer is borrowed: valid until the target is revoked. Lets a test play the system's part
// of a drag without a real drag loop.
IDropTarget* registeredDropTarget(HWND window);

} // namespace VSTGUI::win32
