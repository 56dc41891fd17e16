#pragma once

// One shared buffer per distinct byte string while a file is read: a
// conversation key, a handle or a name that a hundred thousand records
// carry costs its bytes once.

#include <QByteArray>
#include <QSet>

class ByteInterner
{
public:
    QByteArray intern(const char* data, qsizetype size)
    {
        if (size <= 0)
            return QByteArray();
        const auto found = m_pool.constFind(QByteArray::fromRawData(data, size));
        if (found != m_pool.constEnd())
            return *found;
        return *m_pool.insert(QByteArray(data, size));
    }
    QByteArray intern(const QByteArray& bytes) { return intern(bytes.constData(), bytes.size()); }

private:
    QSet<QByteArray> m_pool;
};
