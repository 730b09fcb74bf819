// SPDX-License-Identifier: MIT
#include "Failure.h"

#include <cstdio>
#include <exception>
#include <new>

namespace plughost {

int runGuarded(const std::function<void()>& command) {
    try {
        command();
        return std::fflush(stdout) == 0 ? kExitDone : kExitFailed;
    } catch (const UsageError& error) {
        const std::string message = error.what();
        const bool pointToHelp =
            !error.help().empty() && message.find("--help") == std::string::npos;
        std::fprintf(stderr, "plughost: %s%s\n", message.c_str(),
                     pointToHelp ? (" (see " + error.help() + ")").c_str() : "");
        return error.status();
    } catch (const Failure& error) {
        std::fprintf(stderr, "plughost: %s\n", error.what());
        return error.status();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "plughost: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plughost: unexpected error: %s\n", error.what());
    }
    return kExitFailed;
}

} // namespace plughost
