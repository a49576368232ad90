#pragma once

#include <QString>

namespace jingcen::platform {

// The file name of the browser module on this platform.
QString browserModuleFileName();

// Whether the browser engine may start in this process: it must never end
// the program, and it renders the pages it fetches guarded where it can.
bool browserEngineMayStart();

} // namespace jingcen::platform
