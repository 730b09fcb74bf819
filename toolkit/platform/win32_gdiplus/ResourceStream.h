// SPDX-License-Identifier: MIT
// A read-only COM stream over bytes the caller keeps alive (normally a locked module resource),
// handed to the GDI+ image decoder. The decoder may keep its own reference beyond the load, so
// the reference count is atomic and the stream deletes itself with the last one.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <atomic>
#include <cstdint>

namespace VSTGUI::win32 {

// COM interfaces have no virtual destructor; the object deletes itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ResourceStream final : public IStream {
public:
    // A new stream holds one reference, owned by the creator. [ui]
    ResourceStream(const void* data, std::uint32_t size) noexcept;

    ResourceStream(const ResourceStream&) = delete;
    ResourceStream& operator=(const ResourceStream&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Copies what is left when fewer bytes remain than asked, reports that count and then
    // answers S_FALSE; S_OK only when every asked byte was copied.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
    // Positions 0 to the size (inclusive) are accepted from each of the three origins; other
    // targets are refused with S_FALSE and leave the position where it was.
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* newPosition) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                         DWORD type) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                           DWORD type) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* record, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override;

    std::uint32_t position() const noexcept { return m_position; }
    std::uint32_t size() const noexcept { return m_size; }

private:
    ~ResourceStream() = default;

    const std::uint8_t* m_data;
    std::uint32_t m_position = 0;
    std::uint32_t m_size;
    std::atomic<ULONG> m_references{1};
};
#pragma GCC diagnostic pop

// The bytes of the resource `name` of type "DATA" in `module`; `name` may also be a numeric
// identifier made with MAKEINTRESOURCEA. Answers false (and no bytes) when the module has no
// such resource. The bytes live as long as the module stays loaded. [ui]
bool findDataResource(HMODULE module, const char* name, const void*& data, std::uint32_t& size);

} // namespace VSTGUI::win32
