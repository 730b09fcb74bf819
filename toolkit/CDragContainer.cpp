// SPDX-License-Identifier: MIT
#include "toolkit/CDragContainer.h"

#include "toolkit/TextConversion.h"

namespace VSTGUI {

CDragContainer::CDragContainer(std::unique_ptr<platform::DropSource> source)
    : m_source(std::move(source)) {
    if (!m_source) return;
    if (m_source->hasText())
        m_count = 1;
    else
        m_count = static_cast<std::int32_t>(m_source->fileCount());
}

CDragContainer::~CDragContainer() = default;

const char* CDragContainer::first(std::int32_t& size, std::int32_t& type) {
    m_index = 0;
    return next(size, type);
}

const char* CDragContainer::next(std::int32_t& size, std::int32_t& type) {
    if (!m_source) {
        type = kError;
        return nullptr;
    }
    m_item.reset();
    size = 0;
    type = kUnknown;
    if (m_source->hasText()) {
        if (m_index != 0) return nullptr;
        m_index = 1;
        std::u16string text;
        if (m_source->fetchText(text) != platform::FetchResult::ok) return nullptr;
        m_item = std::make_unique<std::string>(utf16ToUtf8(text));
        size = static_cast<std::int32_t>(m_item->size());
        type = kUnicodeText;
        return m_item->c_str();
    }
    if (m_source->hasFiles()) {
        std::u16string path;
        const auto index = static_cast<std::uint32_t>(m_index++);
        if (!m_source->filePath(index, path) || path.empty()) return nullptr;
        if (isShortcutPath(path)) {
            std::u16string target;
            if (m_source->resolveShortcut(path, target)) path = target;
        }
        m_item = std::make_unique<std::string>(utf16ToUtf8(path));
        size = static_cast<std::int32_t>(m_item->size());
        type = kFile;
        return m_item->c_str();
    }
    return nullptr;
}

std::int32_t CDragContainer::getType(std::int32_t /*index*/) const {
    if (!m_source) return kError;
    return m_source->hasText() ? kText : kFile;
}

bool CDragContainer::isShortcutPath(const std::u16string& path) {
    const std::size_t separator = path.find_last_of(u"\\/");
    const std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos || (separator != std::u16string::npos && dot < separator))
        return false;
    const std::u16string extension = path.substr(dot);
    if (extension.size() != 4) return false;
    const auto lower = [](char16_t c) {
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    return lower(extension[1]) == u'l' && lower(extension[2]) == u'n' &&
           lower(extension[3]) == u'k';
}

} // namespace VSTGUI
