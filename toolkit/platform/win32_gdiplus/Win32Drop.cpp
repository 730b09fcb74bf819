// SPDX-License-Identifier: MIT
// OLE is begun for the thread by each frame and each editor (beginThreadUse) and ended by
// them. Lifecycle of a drop target: the frame registers a `DropTarget` on its window
// (RegisterDragDrop takes its own reference, ours is dropped at once) and revokes it when drop is
// switched off or the frame goes. For every drag the target makes one drop source on the drag's
// data object; the source holds a reference on the object until the toolkit lets it go. Every
// medium fetched from the data object is released before the fetch answers. [ui]
#include "Win32Drop.h"

#include "Win32Backend.h"

#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <string>

namespace VSTGUI::win32 {

namespace {

// One global-memory medium of a data object, given back when it goes out of scope.
class Medium {
public:
    Medium(IDataObject* object, CLIPFORMAT format) {
        if (object == nullptr) return;
        FORMATETC request{};
        request.cfFormat = format;
        request.dwAspect = DVASPECT_CONTENT;
        request.lindex = -1;
        request.tymed = TYMED_HGLOBAL;
        if (FAILED(object->GetData(&request, &m_medium))) {
            m_medium = STGMEDIUM{};
            return;
        }
        m_fetched = true;
    }
    ~Medium() {
        if (m_fetched) ReleaseStgMedium(&m_medium);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;

    bool ok() const noexcept {
        return m_fetched && m_medium.tymed == TYMED_HGLOBAL && m_medium.hGlobal != nullptr;
    }
    HGLOBAL global() const noexcept { return m_medium.hGlobal; }

private:
    STGMEDIUM m_medium{};
    bool m_fetched = false;
};

// A locked global memory block, unlocked when it goes out of scope.
template <typename T>
class Locked {
public:
    explicit Locked(HGLOBAL memory) : m_memory(memory) {
        m_data = static_cast<T*>(GlobalLock(memory));
    }
    ~Locked() {
        if (m_data != nullptr) GlobalUnlock(m_memory);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    T* get() const noexcept { return m_data; }

private:
    HGLOBAL m_memory;
    T* m_data = nullptr;
};

std::u16string toU16(const wchar_t* text, std::size_t length) {
    std::u16string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        out.push_back(static_cast<char16_t>(text[i]));
    return out;
}

class Win32DropSource final : public platform::DropSource {
public:
    explicit Win32DropSource(IDataObject* data) : m_data(data) {
        if (m_data != nullptr) m_data->AddRef();
    }
    ~Win32DropSource() override {
        if (m_data != nullptr) m_data->Release();
    }
    Win32DropSource(const Win32DropSource&) = delete;
    Win32DropSource& operator=(const Win32DropSource&) = delete;

    bool hasText() override { return Medium(m_data, CF_UNICODETEXT).ok(); }

    platform::FetchResult fetchText(std::u16string& text) override {
        const Medium medium(m_data, CF_UNICODETEXT);
        if (!medium.ok()) return platform::FetchResult::unavailable;
        const SIZE_T bytes = GlobalSize(medium.global());
        const Locked<const wchar_t> chars(medium.global());
        if (bytes == 0 || chars.get() == nullptr) return platform::FetchResult::empty;
        // The text ends at its terminator or with the memory block, whichever comes first.
        const std::size_t most = bytes / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < most && chars.get()[length] != L'\0')
            ++length;
        text = toU16(chars.get(), length);
        return platform::FetchResult::ok;
    }

    std::uint32_t fileCount() override {
        const Medium medium(m_data, CF_HDROP);
        if (!medium.ok()) return 0;
        const Locked<DROPFILES> files(medium.global());
        if (files.get() == nullptr) return 0;
        return DragQueryFileW(reinterpret_cast<HDROP>(files.get()), 0xFFFFFFFFu, nullptr, 0);
    }

    bool hasFiles() override { return Medium(m_data, CF_HDROP).ok(); }

    bool filePath(std::uint32_t index, std::u16string& path) override {
        const Medium medium(m_data, CF_HDROP);
        if (!medium.ok()) return false;
        const Locked<DROPFILES> files(medium.global());
        if (files.get() == nullptr) return false;
        wchar_t buffer[2048] = {};
        const UINT length =
            DragQueryFileW(reinterpret_cast<HDROP>(files.get()), index, buffer, 2048);
        if (length == 0) return false;
        path = toU16(buffer, length < 2047 ? length : 2047);
        return true;
    }

    bool resolveShortcut(const std::u16string& shortcutPath, std::u16string& target) override {
        const std::wstring path(shortcutPath.begin(), shortcutPath.end());
        IShellLinkW* link = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link))))
            return false;
        bool resolved = false;
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            // No user interface, any match, at most 500 ms of searching for a moved target.
            const DWORD flags = SLR_NO_UI | SLR_ANY_MATCH | (500u << 16);
            wchar_t found[2048] = {};
            if (SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
                SUCCEEDED(link->Resolve(nullptr, flags)) &&
                link->GetPath(found, 2048, nullptr, SLGP_SHORTPATH) == S_OK && found[0] != L'\0') {
                target = toU16(found, std::wcslen(found));
                resolved = true;
            }
            file->Release();
        }
        link->Release();
        return resolved;
    }

private:
    IDataObject* m_data;
};

// The targets registered by this back end, each with one reference of its own.
std::map<HWND, DropTarget*>& registeredTargets() {
    static std::map<HWND, DropTarget*> targets;
    return targets;
}

void forgetTarget(HWND window) {
    auto& targets = registeredTargets();
    const auto found = targets.find(window);
    if (found == targets.end()) return;
    found->second->Release();
    targets.erase(found);
}

DWORD& effectWord(DWORD* effect, DWORD& spare) {
    return effect != nullptr ? *effect : spare;
}

} // namespace

std::unique_ptr<platform::DropSource> makeDropSource(IDataObject* data) {
    return std::make_unique<Win32DropSource>(data);
}

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() {
    return ++m_references;
}

ULONG STDMETHODCALLTYPE DropTarget::Release() {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    DWORD spare = DROPEFFECT_NONE;
    std::uint32_t word = effectWord(effect, spare);
    m_events->dragEnter(data != nullptr ? makeDropSource(data) : nullptr, word);
    effectWord(effect, spare) = word;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    DWORD spare = DROPEFFECT_NONE;
    std::uint32_t word = effectWord(effect, spare);
    m_events->dragOver(word);
    effectWord(effect, spare) = word;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
    m_events->dragLeave();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD*) {
    m_events->drop();
    return S_OK;
}

IDropTarget* registeredDropTarget(HWND window) {
    const auto found = registeredTargets().find(window);
    return found != registeredTargets().end() ? found->second : nullptr;
}

} // namespace VSTGUI::win32

namespace VSTGUI::platform::window_system {

// OleInitialize answers S_FALSE when the thread had it already; both call for an
// OleUninitialize. A thread set up for another apartment model keeps its own set-up.
bool beginThreadUse() {
    const HRESULT result = OleInitialize(nullptr);
    return result == S_OK || result == S_FALSE;
}

void endThreadUse() {
    OleUninitialize();
}

bool registerDropTarget(WindowHandle window, DropEvents* events) {
    if (window == nullptr || events == nullptr) return false;
    const auto hwnd = reinterpret_cast<HWND>(window);
    auto* target = new win32::DropTarget(events);
    if (FAILED(RegisterDragDrop(hwnd, target))) {
        // Release deletes the target: this was its only reference.
        target->Release();
        return false; // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
    }
    win32::forgetTarget(hwnd);
    win32::registeredTargets()[hwnd] = target; // our reference goes with the revocation
    return true;
}

void revokeDropTarget(WindowHandle window) {
    if (window == nullptr) return;
    const auto hwnd = reinterpret_cast<HWND>(window);
    RevokeDragDrop(hwnd);
    win32::forgetTarget(hwnd);
}

} // namespace VSTGUI::platform::window_system
