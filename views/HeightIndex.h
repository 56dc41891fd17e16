#pragma once

#include <QVector>

#include <algorithm>

namespace views {

// Heights of a long column of items, with the top of any item and the item
// at any offset in logarithmic time, so that one changed height costs no
// pass over every item. A Fenwick tree over the heights.
class HeightIndex
{
public:
    void reset(const QVector<int>& heights)
    {
        m_heights = heights;
        const int n = count();
        m_tree.fill(0, n + 1);
        for (int i = 1; i <= n; ++i) {
            m_tree[i] += m_heights[i - 1];
            const int parent = i + (i & -i);
            if (parent <= n)
                m_tree[parent] += m_tree[i];
        }
        m_high = 1;
        while (m_high * 2 <= n)
            m_high *= 2;
    }

    int count() const { return int(m_heights.size()); }
    int height(int i) const { return m_heights[i]; }

    void setHeight(int i, int h)
    {
        const qint64 delta = qint64(h) - m_heights[i];
        if (delta == 0)
            return;
        m_heights[i] = h;
        for (int k = i + 1; k <= count(); k += k & -k)
            m_tree[k] += delta;
    }

    // Sum of the heights of the items before i.
    qint64 top(int i) const
    {
        qint64 sum = 0;
        for (int k = std::min(i, count()); k > 0; k -= k & -k)
            sum += m_tree[k];
        return sum;
    }

    qint64 total() const { return top(count()); }

    // The item that covers offset y: the last one whose top is at or above
    // y, skipping items of no height. -1 for an empty column; offsets past
    // the end give the last item.
    int itemAt(qint64 y) const
    {
        const int n = count();
        if (n == 0)
            return -1;
        int pos = 0;
        qint64 rest = y;
        for (int step = m_high; step > 0; step /= 2) {
            if (pos + step <= n && m_tree[pos + step] <= rest) {
                pos += step;
                rest -= m_tree[pos];
            }
        }
        return std::min(pos, n - 1);
    }

private:
    QVector<int> m_heights;
    QVector<qint64> m_tree; // 1-based
    int m_high = 1;
};

} // namespace views
