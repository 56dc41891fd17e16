#pragma once

// The texts of a file's messages, kept in buffers of 64 KiB instead of one
// allocation each: a million messages cost a few thousand allocations, not a
// million, and no per-text header. Each text is a QByteArray of its own that
// shares its buffer, as the copies of one array share theirs: whoever
// changes one gets a copy first, and a buffer is freed with its last text.
// Every text is followed by a '\0' in the buffer, so constData() is
// terminated as usual.

#include <QByteArray>

#include <cstring>

class TextChunks
{
public:
    QByteArray add(const char* data, qsizetype size)
    {
        if (size <= 0 || !data)
            return QByteArray();
        // Long texts would waste most of a buffer; they get one of their own.
        if (size > chunkSize / 8)
            return QByteArray(data, size);
        if (m_chunk.isNull() || m_used + size + 1 > m_chunk.size()) {
            m_chunk = QByteArray(chunkSize, Qt::Uninitialized);
            m_used = 0;
        }
        // Written through the shared pointer without detaching: the bytes
        // past m_used belong to no text yet.
        QByteArray::DataPointer& chunk = m_chunk.data_ptr();
        char* begin = chunk.data() + m_used;
        std::memcpy(begin, data, size_t(size));
        begin[size] = '\0';
        m_used += size + 1;
        chunk.d_ptr()->ref();
        return QByteArray(QByteArray::DataPointer(chunk.d_ptr(), begin, size));
    }

private:
    static constexpr qsizetype chunkSize = 64 * 1024 - 64;
    QByteArray m_chunk;
    qsizetype m_used = 0;
};
