#pragma once

// What a message bubble shows and how it is drawn, and the bubble's
// geometry, measured without a widget. The chat page keeps one look for all
// its bubbles, filled from the skin once (properties the style sheet sets
// on the page), so that no bubble pays the style sheet for its painting.

#include "TextMeasure.h"

#include <QColor>
#include <QString>

class QTextLayout;

namespace views {

struct BubbleContent
{
    QString text;   // as shown: breakableText() of the message
    QString sender; // who sent an incoming message of a group; empty otherwise
    QString badge;  // reactions, e.g. "❤️ 2  👍"; empty when none
    int senderTone = 0;
    bool edited = false;
    bool unsent = false; // text is the note that the message was taken back
    // The message's attachments show as tiles of their own under the
    // bubble; text is what is left beside them. A bubble with nothing else
    // to show is not drawn at all.
    bool besideAttachments = false;
};

struct BubbleLook
{
    BubbleLook();
    BubbleLook(const BubbleLook&) = delete;
    BubbleLook& operator=(const BubbleLook&) = delete;

    // The look of bubbles that no page has given one.
    static BubbleLook& standard();

    // The text font; the sender line, notes and badges follow from it.
    void setTextFont(const QFont& font);
    // A family tried first for the reactions' emoji, which many text fonts
    // hold only as black outlines; empty for the text font alone.
    void setEmojiFamily(const QString& family);
    QString emojiFamily() const { return m_emojiFamily; }
    QColor senderColor(int tone) const;

    QColor incoming{0xe9, 0xe9, 0xeb};
    QColor incomingText{0x1f, 0x23, 0x29};
    QColor outgoing{0x1a, 0x73, 0xe8};
    QColor outgoingText{0xff, 0xff, 0xff};
    QColor meta{0x8a, 0x91, 0x9c};
    QColor badge{0xff, 0xff, 0xff};
    QColor badgeBorder{0xd7, 0xdb, 0xe0};
    QColor mark{0x1a, 0x73, 0xe8};
    QColor markRing{0xb0, 0xb6, 0xbf};
    int radius = 12;

    TextMeasure text;
    TextMeasure note;   // the unsent note: the text font in italics
    TextMeasure sender; // the name line of a group's bubble
    TextMeasure small;  // "Edited" and the counts of the reaction badge
    TextMeasure emoji;  // the reactions themselves
    int emojiLine = 0;

private:
    QString m_emojiFamily;
};

// The parts of a reaction badge: each emoji with its count, if any.
QVector<QPair<QString, QString>> badgeParts(const QString& badge);
// Space between two parts of a badge, and between an emoji and its count.
constexpr int kBadgeGap = 6;
constexpr int kBadgeCountGap = 2;

// Space around and inside the drawn bubble, in pixels.
constexpr int kBubbleMarginX = 10;
constexpr int kBubbleMarginY = 2;
constexpr int kBubblePadX = 11;
constexpr int kBubblePadY = 7;
// The reaction badge's own padding, and how far it reaches up into the
// bubble from the bubble's lower edge.
constexpr int kBadgePadX = 6;
constexpr int kBadgeOverlap = 6;
// Share of the row that a bubble may take before its text wraps.
constexpr double kBubbleShare = 0.72;
// Texts longer than this are wrapped greedily and shaped a line at a time
// when painted; shaping them whole would hold up the window.
constexpr int kHugeText = 6000;

// Geometry of a bubble's text label (the drawn bubble with the space
// around it) when it may be at most `cap` pixels wide.
struct BubbleShape
{
    int width = 0;
    int height = 0;
    bool exact = false;
    int textWidth = 0;
    int textHeight = 0;
    int senderHeight = 0; // with the gap below it
    int editedHeight = 0; // with the gap above it
    int badgeWidth = 0;
    int badgeHeight = 0;
};

enum class Measure { Quick, Exact };

// With keep (normal texts) or lines (huge ones) the text's lines stay there
// for painting.
BubbleShape measureBubble(const BubbleContent& content, const BubbleLook& look, int cap, Measure how,
                          QTextLayout* keep = nullptr, QVector<int>* lines = nullptr);

// The label height of a bubble that shows nothing but its text, when that
// text is plain ASCII sure to be one line; 0 for any other text. Made from
// the stored bytes, for the many messages whose height is only counted.
int oneLineBubbleHeight(const QByteArray& utf8, const BubbleLook& look, int cap);

// Widest label a bubble gets in a row of the given width.
int bubbleCap(int rowWidth, bool editing);

} // namespace views
