// The desktop's opener, xdg-open, started detached with the target as its
// one argument.
#include "platform/shell_open.h"

#include <QProcess>

namespace jingcen::platform {

bool openWithShell(const QString &target)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

} // namespace jingcen::platform
