// SPDX-License-Identifier: MIT
// A data object as a drag source hands it to a drop target: it offers either a text or a file
// list as global memory, and counts the media it hands out and gets back.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <string>
#include <vector>

namespace toolkit_test {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TestDataObject final : public IDataObject {
public:
    static TestDataObject* withText(const std::wstring& text);
    static TestDataObject* withFiles(const std::vector<std::wstring>& paths);
    // A text offered as an empty memory block.
    static TestDataObject* withEmptyText();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

    int mediaHandedOut() const noexcept { return m_handedOut; }
    int mediaGivenBack() const noexcept { return m_givenBack; }
    ULONG references() const noexcept { return m_references; }
    void mediumGivenBack() noexcept { ++m_givenBack; }

private:
    TestDataObject(CLIPFORMAT format, std::vector<BYTE> bytes)
        : m_format(format), m_bytes(std::move(bytes)) {}
    ~TestDataObject() = default;

    CLIPFORMAT m_format;
    std::vector<BYTE> m_bytes;
    ULONG m_references = 1;
    int m_handedOut = 0;
    int m_givenBack = 0;
};
#pragma GCC diagnostic pop

// Makes `path` a shell shortcut to `target` (IShellLinkW saved through IPersistFile).
bool makeShortcut(const std::wstring& path, const std::wstring& target);
// A fresh folder under the system's temporary folder.
std::wstring makeTemporaryFolder(const wchar_t* name);
// Creates an empty file.
bool touchFile(const std::wstring& path);

} // namespace toolkit_test
