// SPDX-License-Identifier: MIT
// plughost built without a window system: the editor command says so.
#include "EditorCommand.h"

#include "Failure.h"

namespace plughost {

void showEditor(void* /*record*/, const EditorOptions& /*options*/) {
    throw Failure("this plughost was built without X11: it cannot show editors");
}

} // namespace plughost
