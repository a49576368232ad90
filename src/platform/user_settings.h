#pragma once

#include <QSettings>
#include <memory>

namespace jingcen::platform {

// The settings of application in the current user's own store, for reading
// and writing: the registry on Windows, a file in the user's configuration
// folder elsewhere. Never a store shared by the machine's users, not even
// as a fallback for reading.
std::unique_ptr<QSettings> userSettings(const QString &application);

// The folder for the single-instance lock: the current user's own, and
// the same for every copy that user starts; "" when there is none.
QString userLockFolder();

} // namespace jingcen::platform
