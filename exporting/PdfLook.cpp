#include "PdfLook.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace exporting {

namespace {

const QColor kSenderTones[] = {
    QColor(0xc2, 0x41, 0x0c), QColor(0x0e, 0x74, 0x90), QColor(0x7c, 0x3a, 0xed),
    QColor(0xbe, 0x18, 0x5d), QColor(0x15, 0x80, 0x3d), QColor(0x1d, 0x4e, 0xd8),
};

// The families tried in turn for a character the first one lacks: the
// desktop's own sans serif, then fonts that hold the CJK scripts, then
// emoji. Fontconfig would find most of these by itself; naming them keeps
// one family per script instead of whatever it picks per character.
QStringList textFamilies()
{
    QStringList families{QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()};
    const QStringList known = QFontDatabase::families();
    for (const char* name : {"DejaVu Sans", "Droid Sans Fallback", "Noto Sans CJK SC", "Noto Sans CJK JP"}) {
        const QString family = QString::fromLatin1(name);
        if (known.contains(family) && !families.contains(family))
            families.append(family);
    }
    return families;
}

QFont font(const QStringList& families, double points, QFont::Weight weight)
{
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setWeight(weight);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

PdfLook::PdfLook(QPaintDevice* pdf) : device(pdf)
{
    m_scale = pdf->logicalDpiY() / 72.0;
    width = pdf->width();
    height = pdf->height();
    bottom = height - pt(22);

    const QStringList families = textFamilies();
    text = font(families, 10.5, QFont::Normal);
    heading = font(families, 17, QFont::Bold);
    small = font(families, 7.5, QFont::Normal);
    sender = font(families, 8, QFont::DemiBold);
    // Colour emoji fonts hold bitmaps, which the pdf's embedded fonts
    // cannot carry (they would print as blanks); the text fonts' outlines
    // print everywhere and stay text.
    emoji = font(families, 8.5, QFont::Normal);

    radius = pt(9);
    padX = pt(8.5);
    padY = pt(5.5);
    gap = pt(7);
    lineGap = pt(2);
    maxWidth = width * 0.72;
    pictureMaxHeight = height * 0.45;
}

QColor PdfLook::senderColor(const QString& handle) const
{
    const size_t n = sizeof kSenderTones / sizeof kSenderTones[0];
    return kSenderTones[qHash(handle) % n];
}

QString shownText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            continue;
        if (u == u'\n' || u == u'\r' || u == 0x2029 || u == 0x2028 || u == 0x0b || u == 0x0c)
            out += QChar(QChar::LineSeparator);
        else if (u == u'\t')
            out += QStringLiteral("    ");
        else if (u == 0xfffc || (c.category() == QChar::Other_Control))
            continue;
        else
            out += c;
    }
    return out;
}

QString shownName(const QString& name)
{
    constexpr int kLongest = 160;
    QString out;
    for (const QChar c : name)
        out += c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
                   ? QChar(u' ')
                   : c;
    out = out.trimmed();
    if (out.size() > kLongest) {
        qsizetype cut = kLongest;
        if (out.at(cut - 1).isHighSurrogate())
            --cut;
        out = out.left(cut) + QChar(0x2026);
    }
    return out;
}

double layOut(QTextLayout& layout, const QString& text, const QFont& font, QPaintDevice* device, double width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    option.setUseDesignMetrics(true);
    layout.setText(text);
    // Measured for the pdf's resolution, not the screen's.
    layout.setFont(QFont(font, device));
    layout.setTextOption(option);
    layout.setCacheEnabled(true);

    auto pass = [&](double lineWidth) {
        double widest = 0;
        double y = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(0, y));
            y += line.height();
            widest = std::max(widest, line.naturalTextWidth());
        }
        layout.endLayout();
        return widest;
    };
    double widest = pass(width);
    // Right-to-left lines are aligned to the right edge of the width they
    // were given; laying them out once more at their own width puts that
    // edge at the bubble's.
    if (text.isRightToLeft() && widest < width)
        widest = pass(std::min(width, std::ceil(widest) + 1));
    return widest;
}

namespace {

// Whether the font draws its glyphs from pictures (colour bitmaps or
// layers) rather than outlines. Asked once per family.
bool isColourFont(const QRawFont& font)
{
    // Exports may run on worker threads.
    static QMutex lock;
    static QHash<QString, bool> known;
    const QMutexLocker locked(&lock);
    const QString family = font.familyName();
    const auto it = known.constFind(family);
    if (it != known.constEnd())
        return *it;
    const bool colour =
        !font.fontTable("CBDT").isEmpty() || !font.fontTable("sbix").isEmpty() || !font.fontTable("COLR").isEmpty();
    known.insert(family, colour);
    return colour;
}

} // namespace

void drawLines(QPainter* painter, const QTextLayout& layout, const QPointF& origin, int first, int end)
{
    if (end < 0)
        end = layout.lineCount();
    for (int i = first; i < end; ++i) {
        const QTextLine line = layout.lineAt(i);
        line.draw(painter, origin);
        for (const QGlyphRun& run : line.glyphRuns()) {
            if (!isColourFont(run.rawFont()))
                continue;
            const QRectF box = run.boundingRect();
            if (box.isEmpty() || box.width() > 20000 || box.height() > 2000)
                continue;
            QImage picture(box.size().toSize() + QSize(2, 2), QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            QPainter glyphs(&picture);
            glyphs.setRenderHint(QPainter::SmoothPixmapTransform);
            glyphs.translate(-box.topLeft());
            glyphs.drawGlyphRun(QPointF(0, 0), run);
            glyphs.end();
            painter->drawImage(box.topLeft() + origin, picture);
        }
    }
}

} // namespace exporting
