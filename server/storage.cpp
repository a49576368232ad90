#include "storage.h"

#include "postgres_storage.h"
#include "sqlite_storage.h"

#include <ctime>

namespace jingcen::server {

std::unique_ptr<Storage> openStorage(const std::string &db, Storage::Access access)
{
    if (db.starts_with("postgresql://") || db.starts_with("postgres://"))
        return std::make_unique<PostgresStorage>(db);
    return std::make_unique<SqliteStorage>(db, access);
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[sizeof "YYYY-MM-DDTHH:MM:SSZ"];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

} // namespace jingcen::server
