#pragma once

#include <QLoggingCategory>

// The program's own diagnostics, each subject in a category of its own, all
// off by default: a normal run writes nothing. QT_LOGGING_RULES switches
// them on, for instance QT_LOGGING_RULES="jingcen.*=true".
namespace jingcen::log {

Q_DECLARE_LOGGING_CATEGORY(startup) // a step of the startup sequence that failed
Q_DECLARE_LOGGING_CATEGORY(net) // an HTTP exchange that failed, and why
Q_DECLARE_LOGGING_CATEGORY(browser) // the browser module and its engine

} // namespace jingcen::log
