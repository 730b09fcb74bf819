// SPDX-License-Identifier: MIT
#include "OutputFiles.h"

#include "core/Failure.h"

#include <filesystem>

namespace plughost {
namespace {

// Whether two paths name the same file: the same file on disk, or the same place for a file
// that does not exist yet.
bool sameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    const fs::path left = fs::weakly_canonical(a, error);
    if (error) return false;
    const fs::path right = fs::weakly_canonical(b, error);
    return !error && left == right;
}

} // namespace

void checkOutputsAreOwn(const std::vector<std::pair<std::string, std::string>>& written,
                        const std::vector<std::string>& read) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::string& path = written[i].first;
        if (path.empty()) continue;
        for (const std::string& input : read)
            if (!input.empty() && sameFile(path, input))
                throw UsageError("will not write " + quote(path) + ": it is the same file as " +
                                     quote(input) + ", which this run reads",
                                 "");
        for (std::size_t j = 0; j < i; ++j)
            if (!written[j].first.empty() && sameFile(path, written[j].first))
                throw UsageError(written[i].second + " and " + written[j].second +
                                     " name the same file, " + quote(path) +
                                     ": each output needs a file of its own",
                                 "");
    }
}

} // namespace plughost
