#pragma once

// One shared buffer per distinct byte string while a file is read: a
// conversation key, a handle or a name that a hundred thousand records
// carry costs its bytes once.

#include <QByteArray>
#include <QSet>

#include <cstring>

class ByteInterner
{
public:
    QByteArray intern(const char* data, qsizetype size)
    {
        if (size <= 0)
            return QByteArray();
        // Messages come in runs of one conversation.
        if (m_last.size() == size && std::memcmp(m_last.constData(), data, size_t(size)) == 0)
            return m_last;
        const auto found = m_pool.constFind(QByteArray::fromRawData(data, size));
        m_last = found != m_pool.constEnd() ? *found : *m_pool.insert(QByteArray(data, size));
        return m_last;
    }
    QByteArray intern(const QByteArray& bytes) { return intern(bytes.constData(), bytes.size()); }

private:
    QSet<QByteArray> m_pool;
    QByteArray m_last;
};
