// SPDX-License-Identifier: MIT
#include "DataPaths.h"

#include "CTarvoDescription.h"
#include "platform/TarvoPlatform.h"

namespace {
bool isSeparator(char c) {
    return c == '/' || c == '\\';
}
} // namespace

std::string DataPathFor(const std::string& moduleFile, const std::string& name) {
    const std::size_t skip = !name.empty() && isSeparator(name.front()) ? 1 : 0;
    const std::size_t last = moduleFile.find_last_of("/\\");
    std::string path = last == std::string::npos ? std::string() : moduleFile.substr(0, last + 1);
    path.append(name, skip, std::string::npos);
    return path;
}

std::string DataPath(const std::string& name) {
    return DataPathFor(tarvo_platform::moduleFileName(), name);
}

void ListDataFiles(const std::string& folder, SliderRecord& record) {
    std::vector<std::string> entries;
    if (!tarvo_platform::listDirectory(folder, entries)) return;
    for (const std::string& entry : entries) {
        if (entry.empty() || entry.front() == '.') continue;
        if (tarvo_platform::entryKind(folder + entry) != tarvo_platform::EntryKind::File) continue;
        record.optionTexts.push_back(entry);
    }
}
