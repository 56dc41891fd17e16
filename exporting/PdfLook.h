#pragma once

// How the pdf export looks: the page, the fonts with their fallbacks for
// other scripts, the bubble colours of the window, and the spacing, all in
// the pdf's device units (measured from points at the writer's resolution).

#include <QColor>
#include <QFont>
#include <QString>

class QPaintDevice;
class QPainter;
class QPointF;
class QTextLayout;

namespace exporting {

struct PdfLook
{
    // device: the pdf the fonts are measured for.
    explicit PdfLook(QPaintDevice* device);

    // Points to device units.
    double pt(double points) const { return points * m_scale; }

    QPaintDevice* device = nullptr;
    double width = 0;  // of the printable area
    double height = 0; // of the printable area, footer included
    double bottom = 0; // where messages end; the footer is below

    QFont text;
    QFont heading;
    QFont small;
    QFont sender;
    QFont emoji; // reaction badges

    QColor incoming{0xe9, 0xe9, 0xeb};
    QColor incomingText{0x1f, 0x23, 0x29};
    QColor outgoing{0x1a, 0x73, 0xe8};
    QColor outgoingText{0xff, 0xff, 0xff};
    QColor meta{0x8a, 0x91, 0x9c};
    QColor rule{0xd7, 0xdb, 0xe0};
    QColor tile{0xf6, 0xf7, 0xf9};

    double radius = 0;
    double padX = 0;
    double padY = 0;
    double gap = 0;      // between two messages
    double lineGap = 0;  // between a bubble and its sender or time
    double maxWidth = 0; // widest bubble
    double pictureMaxHeight = 0;

    // Readable on the incoming grey; one per sender, by handle.
    QColor senderColor(const QString& handle) const;

private:
    double m_scale = 1;
};

// The text a bubble shows: line breaks as the layout's own separators, the
// placeholders of attachments and other control characters left out.
QString shownText(const QString& text);
// An attachment's name on one line, at most so long.
QString shownName(const QString& name);

// Lays text out in lines at most width wide (words wrap, runs without a
// break opportunity wrap anywhere), right to left where the text is;
// returns the widest line.
double layOut(QTextLayout& layout, const QString& text, const QFont& font, QPaintDevice* device, double width);

// Draws lines of layout (all of them by default) at origin. Glyphs of
// colour fonts (emoji), which the pdf's embedded fonts cannot show, are
// drawn over their place as pictures; the text underneath stays.
void drawLines(QPainter* painter, const QTextLayout& layout, const QPointF& origin, int first = 0, int end = -1);

} // namespace exporting
