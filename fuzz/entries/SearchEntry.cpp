// The query parser and the folding on arbitrary bytes: the first line is the
// query, the rest a message text. Besides not crashing, the index and the
// matcher must agree, and every marked span must lie inside the text.

#include "FuzzEntries.h"

#include "MessageSearch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int search(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\n');
    const QByteArray queryBytes = split < 0 ? input : input.left(split);
    const QByteArray text = split < 0 ? QByteArray() : input.mid(split + 1);

    const search::Query query = search::Query::parse(QString::fromUtf8(queryBytes));
    MessageRecord m;
    m.rowId = 1;
    m.address = "k";
    m.text = text;
    const bool matches = query.matches(m);
    const auto index = search::Index::build({m});
    if (index->find(query).hits.size() != (matches ? 1 : 0))
        std::abort();
    for (const QByteArray& term : query.terms()) {
        if (term.isEmpty() || term.contains('\0') || term.contains('\n'))
            std::abort();
    }
    const QString shown = QString::fromUtf8(text);
    for (const search::Span& s : query.spansIn(shown)) {
        if (s.start < 0 || s.length <= 0 || s.start + s.length > shown.size())
            std::abort();
    }
    if (matches && query.spansIn(shown).isEmpty())
        std::abort();
    return 0;
}

} // namespace fuzzentries
