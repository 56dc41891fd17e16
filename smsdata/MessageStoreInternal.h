#pragma once

// Helpers that the files of MessageStore share: reading and deleting.

#include <sqlite3.h>

namespace storeinternal {

inline int exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

} // namespace storeinternal
