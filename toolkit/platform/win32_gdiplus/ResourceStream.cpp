// SPDX-License-Identifier: MIT
#include "ResourceStream.h"

#include <cstring>

namespace VSTGUI::win32 {

ResourceStream::ResourceStream(const void* data, std::uint32_t size) noexcept
    : m_data(static_cast<const std::uint8_t*>(data)), m_size(data != nullptr ? size : 0) {}

HRESULT STDMETHODCALLTYPE ResourceStream::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) ||
        IsEqualIID(iid, IID_ISequentialStream)) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ResourceStream::AddRef() {
    return ++m_references;
}

ULONG STDMETHODCALLTYPE ResourceStream::Release() {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Read(void* buffer, ULONG count, ULONG* read) {
    if (read != nullptr) *read = 0;
    if (buffer == nullptr && count > 0) return STG_E_INVALIDPOINTER;
    const std::uint32_t left = m_size - m_position;
    const std::uint32_t copied = count < left ? count : left;
    if (copied > 0) std::memcpy(buffer, m_data + m_position, copied);
    m_position += copied;
    if (read != nullptr) *read = copied;
    return copied == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Write(const void*, ULONG, ULONG* written) {
    if (written != nullptr) *written = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Seek(LARGE_INTEGER move, DWORD origin,
                                               ULARGE_INTEGER* newPosition) {
    std::int64_t base = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        base = 0;
        break;
    case STREAM_SEEK_CUR:
        base = m_position;
        break;
    case STREAM_SEEK_END:
        base = m_size;
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    // The move is limited first so that base + move cannot overflow.
    const std::int64_t limit = std::int64_t{1} << 40;
    if (move.QuadPart < -limit || move.QuadPart > limit) return S_FALSE;
    const std::int64_t target = base + move.QuadPart;
    if (target < 0 || target > static_cast<std::int64_t>(m_size)) return S_FALSE;
    m_position = static_cast<std::uint32_t>(target);
    if (newPosition != nullptr) newPosition->QuadPart = m_position;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::SetSize(ULARGE_INTEGER) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                                 ULARGE_INTEGER*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Commit(DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Revert() {
    m_position = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Stat(STATSTG* record, DWORD) {
    if (record == nullptr) return STG_E_INVALIDPOINTER;
    std::memset(record, 0, sizeof(*record));
    record->cbSize.QuadPart = m_size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceStream::Clone(IStream** copy) {
    if (copy != nullptr) *copy = nullptr;
    return E_NOTIMPL;
}

bool findDataResource(HMODULE module, const char* name, const void*& data, std::uint32_t& size) {
    data = nullptr;
    size = 0;
    HRSRC found = FindResourceA(module, name, "DATA");
    if (found == nullptr) return false;
    const DWORD bytes = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* locked = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (locked == nullptr) return false;
    data = locked;
    size = bytes;
    return true;
}

} // namespace VSTGUI::win32
