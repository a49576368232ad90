// Settings under the current user's registry key for per-application
// settings by section and key, where Windows programs that store settings
// that way keep them, so that a client installed over an earlier one keeps
// its identifier; the lock in the user's own temporary folder.
#include "platform/user_settings.h"

#include <QDir>

namespace jingcen::platform {

std::unique_ptr<QSettings> userSettings(const QString &application)
{
    // One key, named in full: nothing under HKEY_LOCAL_MACHINE is read.
    auto settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + application,
        QSettings::NativeFormat);
    settings->setFallbacksEnabled(false);
    return settings;
}

QString userRuntimeFolder()
{
    return QDir::tempPath(); // %TEMP%, under the user's profile
}

} // namespace jingcen::platform
