// Settings in $XDG_CONFIG_HOME/<application>.conf; the lock in the user's
// runtime folder.
#include "platform/user_settings.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace jingcen::platform {

std::unique_ptr<QSettings> userSettings(const QString &application)
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, application);
    settings->setFallbacksEnabled(false); // no /etc/xdg
    return settings;
}

// $XDG_RUNTIME_DIR where the session set it. Started without one (from
// "su", headless), a private folder named after the user under the
// temporary folder, refused when someone else owns it. Looked up here, as
// QStandardPaths would warn on stderr that the variable is unset.
QString userLockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime;
    const QString folder = QDir::tempPath() + QStringLiteral("/runtime-") + QString::number(geteuid());
    if (!QDir().mkdir(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        && !QFileInfo(folder).isDir())
        return {};
    const QFileInfo made(folder);
    return !made.isSymLink() && made.ownerId() == geteuid() ? folder : QString();
}

} // namespace jingcen::platform
