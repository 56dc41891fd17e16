#include "ReactionText.h"

#include <QHash>
#include <QStringList>

namespace reactiontext {

QString emoji(int kind, const QString& custom)
{
    if (!custom.isEmpty())
        return custom;
    switch (kind) {
    case 2000:
        return QStringLiteral("\u2764\ufe0f");
    case 2001:
        return QString::fromUtf8("\xf0\x9f\x91\x8d");
    case 2002:
        return QString::fromUtf8("\xf0\x9f\x91\x8e");
    case 2003:
        return QString::fromUtf8("\xf0\x9f\x98\x82");
    case 2004:
        return QStringLiteral("\u203c\ufe0f");
    case 2005:
        return QStringLiteral("\u2753");
    default:
        return QString();
    }
}

QString badge(const QVector<Reaction>& reactions)
{
    QStringList order;
    QHash<QString, int> counts;
    for (const Reaction& r : reactions) {
        const QString shown = emoji(r.kind, QString::fromUtf8(r.emoji));
        if (shown.isEmpty())
            continue;
        if (!counts.contains(shown))
            order.append(shown);
        ++counts[shown];
    }
    QStringList parts;
    for (const QString& shown : std::as_const(order)) {
        const int n = counts.value(shown);
        parts.append(n > 1 ? shown + QLatin1Char(' ') + QString::number(n) : shown);
    }
    return parts.join(QStringLiteral("  "));
}

} // namespace reactiontext
