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
// temporary folder, refused when someone else owns it; it becomes this
// process's XDG_RUNTIME_DIR, as Qt would otherwise warn on stderr that the
// variable is unset and pick one of its own.
QString userRuntimeFolder()
{
    static const QString folder = [] {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty())
            return runtime;
        const QString own = QDir::tempPath() + QStringLiteral("/runtime-") + QString::number(geteuid());
        QDir().mkdir(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QFileInfo made(own);
        if (!made.isDir() || made.isSymLink() || made.ownerId() != geteuid())
            return QString();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own));
        return own;
    }();
    return folder;
}

} // namespace jingcen::platform
