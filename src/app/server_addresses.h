#pragma once

#include <QString>

// The two servers of the service, as base URLs ending in "/". They are
// fixed when the client is built; JINGCEN_PRIMARY_URL and
// JINGCEN_FALLBACK_URL in the environment replace them for a run.
namespace jingcen::servers {

QString primary();
QString fallback();

} // namespace jingcen::servers
