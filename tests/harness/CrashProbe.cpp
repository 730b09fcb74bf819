// SPDX-License-Identifier: MIT
// A test program that crashes on purpose, to prove that a crash fails a test run instead of
// passing it, whatever the platform's crash handling does.
#include "CrashGuard.h"

int main() {
    testhost::installCrashGuard();
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
