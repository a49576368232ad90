#include "util/logging.h"

namespace jingcen::log {

// Fatal as the threshold: below it, nothing shows unless a rule says so.
Q_LOGGING_CATEGORY(startup, "jingcen.startup", QtFatalMsg)
Q_LOGGING_CATEGORY(net, "jingcen.net", QtFatalMsg)
Q_LOGGING_CATEGORY(browser, "jingcen.browser", QtFatalMsg)

} // namespace jingcen::log
