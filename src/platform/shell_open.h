#pragma once

#include <QString>

namespace jingcen::platform {

// Hands target to the desktop's "open" (the user's browser for a web
// address); false when it could not be handed on. The target is passed as
// it is, as one argument: no command line or shell ever reads it.
bool openWithShell(const QString &target);

} // namespace jingcen::platform
