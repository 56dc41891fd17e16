#pragma once

// A map from row id to value for the small tables of a message database, kept
// in a vector while the row ids are those a phone gives.

#include <QHash>
#include <QVector>

namespace moderntable {

// Rows of a small table (handles, chats) by row id. A phone numbers them
// from 1 up, so a vector holds them; any others (a damaged or crafted file)
// go to a hash.
template <typename T> class ByRowId
{
public:
    void insert(qint64 rowId, const T& value)
    {
        if (rowId >= 0 && rowId < denseLimit) {
            if (rowId >= m_dense.size()) {
                m_dense.resize(rowId + 1);
                m_present.resize(rowId + 1);
            }
            m_dense[rowId] = value;
            m_present[rowId] = true;
        } else {
            m_sparse.insert(rowId, value);
        }
    }
    const T* find(qint64 rowId) const
    {
        if (rowId >= 0 && rowId < m_dense.size())
            return m_present.at(rowId) ? &m_dense.at(rowId) : nullptr;
        const auto it = m_sparse.constFind(rowId);
        return it == m_sparse.cend() ? nullptr : &it.value();
    }
    template <typename F> void forEach(F&& f) const
    {
        for (qsizetype i = 0; i < m_dense.size(); ++i) {
            if (m_present.at(i))
                f(m_dense.at(i));
        }
        for (const T& value : m_sparse)
            f(value);
    }

private:
    static constexpr qint64 denseLimit = 1 << 20;
    QVector<T> m_dense;
    QVector<bool> m_present;
    QHash<qint64, T> m_sparse;
};

} // namespace moderntable
