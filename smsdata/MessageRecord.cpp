#include "MessageRecord.h"

#include "SqliteAccess.h"

QByteArray MessageRecord::timeText() const
{
    return sqliteaccess::timeText(time);
}
