#include "BubbleLook.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextLayout>

#include <algorithm>

namespace views {

namespace {

// Readable on the incoming bubble's grey; one per sender, by handle.
const QColor kSenderTones[] = {
    QColor(0xc2, 0x41, 0x0c), QColor(0x0e, 0x74, 0x90), QColor(0x7c, 0x3a, 0xed),
    QColor(0xbe, 0x18, 0x5d), QColor(0x15, 0x80, 0x3d), QColor(0x1d, 0x4e, 0xd8),
};

QFont scaled(const QFont& base, double factor, QFont::Weight weight, bool italic = false)
{
    QFont f = base;
    if (base.pixelSize() > 0)
        f.setPixelSize(std::max(8, int(base.pixelSize() * factor + 0.5)));
    else
        f.setPointSizeF(std::max(6.0, base.pointSizeF() * factor));
    f.setWeight(weight);
    f.setItalic(italic);
    return f;
}

} // namespace

BubbleLook::BubbleLook()
{
    QFont f = QApplication::font();
    f.setPixelSize(13);
    setTextFont(f);
}

BubbleLook& BubbleLook::standard()
{
    static BubbleLook look;
    return look;
}

void BubbleLook::setTextFont(const QFont& font)
{
    QFont f = font;
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    text.setFont(f);
    note.setFont(scaled(f, 1.0, QFont::Normal, true));
    sender.setFont(scaled(f, 0.85, QFont::DemiBold));
    small.setFont(scaled(f, 0.8, QFont::Normal));
    QFont e = f;
    if (!m_emojiFamily.isEmpty())
        e.setFamilies({m_emojiFamily, f.family()});
    emoji.setFont(e);
    emojiLine = std::max(emoji.layout(QString::fromUtf8("\xf0\x9f\x91\x8d"), 1000).height, small.lineHeight());
}

void BubbleLook::setEmojiFamily(const QString& family)
{
    m_emojiFamily = family;
    setTextFont(text.font());
}

QVector<QPair<QString, QString>> badgeParts(const QString& badge)
{
    QVector<QPair<QString, QString>> parts;
    for (const QString& part : badge.split(QStringLiteral("  "), Qt::SkipEmptyParts)) {
        const int space = int(part.indexOf(QLatin1Char(' ')));
        if (space < 0)
            parts.append({part, QString()});
        else
            parts.append({part.left(space), part.mid(space + 1)});
    }
    return parts;
}

QColor BubbleLook::senderColor(int tone) const
{
    const int n = int(sizeof kSenderTones / sizeof kSenderTones[0]);
    return kSenderTones[((tone % n) + n) % n];
}

int bubbleCap(int rowWidth, bool editing)
{
    return std::max(60, int((rowWidth - (editing ? 20 : 0)) * kBubbleShare));
}

static int textCapOf(int cap)
{
    return std::max(1, cap - 2 * kBubbleMarginX - 2 * kBubblePadX);
}

int oneLineBubbleHeight(const QByteArray& utf8, const BubbleLook& look, int cap)
{
    if (!look.text.fitsOneLine(utf8, textCapOf(cap)))
        return 0;
    return 2 * kBubbleMarginY + 2 * kBubblePadY + look.text.lineHeight();
}

BubbleShape measureBubble(const BubbleContent& content, const BubbleLook& look, int cap, Measure how, QTextLayout* keep,
                          QVector<int>* lines)
{
    BubbleShape shape;
    const TextMeasure& font = content.unsent ? look.note : look.text;
    const int textCap = textCapOf(cap);
    const bool noText = content.besideAttachments && content.text.isEmpty();
    if (noText && content.sender.isEmpty() && content.badge.isEmpty() && !content.edited) {
        shape.exact = true;
        if (keep)
            keep->setText(QString());
        return shape;
    }
    TextShape text;
    if (noText) {
        if (keep)
            keep->setText(QString());
        shape.exact = true;
    } else if (content.text.size() > kHugeText) {
        // The greedy lines are what such a bubble shows, so they are exact.
        text = font.wrap(content.text, textCap, lines);
        shape.exact = true;
    } else if (how == Measure::Quick) {
        text = font.estimate(content.text, textCap, &shape.exact);
    } else {
        text = font.layout(content.text, textCap, keep);
        shape.exact = true;
    }
    shape.textWidth = text.width;
    shape.textHeight = text.height;

    int inner = text.width;
    if (!content.sender.isEmpty()) {
        shape.senderHeight = look.sender.lineHeight() + 2;
        inner = std::max(inner, std::min(textCap, look.sender.estimate(content.sender, 100000).width));
    }
    if (content.edited) {
        shape.editedHeight = look.small.lineHeight() + 1;
        const QString edited = QCoreApplication::translate("BubbleFrame", "Edited");
        inner = std::max(inner, look.small.estimate(edited, 100000).width);
    }
    int bubbleWidth = std::max(inner + 2 * kBubblePadX, 2 * look.radius);
    if (!content.badge.isEmpty()) {
        const auto parts = badgeParts(content.badge);
        int w = 2 * kBadgePadX + kBadgeGap * std::max(0, int(parts.size()) - 1);
        for (const auto& [emoji, count] : parts) {
            w += look.emoji.estimate(emoji, 100000).width;
            if (!count.isEmpty())
                w += kBadgeCountGap + look.small.estimate(count, 100000).width;
        }
        shape.badgeWidth = w;
        shape.badgeHeight = look.emojiLine + 4;
        bubbleWidth = std::max(bubbleWidth, shape.badgeWidth + 2 * look.radius);
    }
    shape.width = std::min(cap, bubbleWidth + 2 * kBubbleMarginX);
    shape.height = 2 * kBubbleMarginY + 2 * kBubblePadY + shape.senderHeight + shape.textHeight + shape.editedHeight +
                   (shape.badgeHeight > 0 ? shape.badgeHeight - kBadgeOverlap : 0);
    return shape;
}

} // namespace views
