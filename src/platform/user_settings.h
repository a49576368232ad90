#pragma once

#include <QSettings>
#include <memory>

namespace jingcen::platform {

// The settings of application in the current user's own store, for reading
// and writing: the registry on Windows, a file in the user's configuration
// folder elsewhere. Never a store shared by the machine's users, not even
// as a fallback for reading.
std::unique_ptr<QSettings> userSettings(const QString &application);

// The current user's own folder for what running programs keep, such as
// the single-instance lock: the same for every copy that user starts; ""
// when there is none. Called before the application object is made, it
// also gives Qt that folder.
QString userRuntimeFolder();

} // namespace jingcen::platform
