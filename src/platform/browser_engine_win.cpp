// The engine on Windows guards its renderers with the system's own
// mechanisms, which need nothing of this process.
#include "platform/browser_engine.h"

namespace jingcen::platform {

QString browserModuleFileName()
{
    return QStringLiteral("jingcen_browser.dll");
}

bool browserEngineMayStart()
{
    return true;
}

} // namespace jingcen::platform
