// SPDX-License-Identifier: MIT
// Whether standard error is a terminal (a console on Windows), for drawing progress there.
#pragma once

namespace plughost {

bool standardErrorIsTerminal();

} // namespace plughost
