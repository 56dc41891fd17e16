#pragma once

// The pdf export: one file that reads like a printout of the chat page.
// Each conversation starts on a page of its own under its name; its
// messages follow oldest first as bubbles (incoming on the left, sent on
// the right), with the sender's name in groups, the time, the reactions
// and, when attachments are included, the pictures scaled to the page.
// Text stays text (selectable and searchable); the fonts fall back per
// script so CJK and emoji find glyphs.
//
// Pages go to the file as soon as they are full, and at most one picture
// is held at a time, so the memory needed does not grow with the number
// of messages. Needs a QGuiApplication (fonts); without one begin() says so.

#include "FormatWriter.h"

#include <QDate>

#include <memory>

class QPainter;
class QPdfWriter;
class QTextLayout;

namespace exporting {

struct PdfLook;

class PdfWriter : public FormatWriter
{
public:
    PdfWriter();
    ~PdfWriter() override;

    bool begin(QIODevice* file, const QString& folder, QString* why) override;
    bool write(const ExportConversation& conversation, QString* why) override;
    bool finish(QString* why) override;

private:
    void startPage();
    // Starts a new page unless height fits below the current position
    // (or the page is still empty, where nothing would gain from one).
    void ensureRoom(double height);
    double room() const;

    void drawHeading(const ExportConversation& conversation);
    void drawDay(const QDate& day);
    void drawMessage(const ExportConversation& conversation, const MessageRecord& message);
    void drawText(QTextLayout& layout, double width, bool incoming);
    void drawAttachment(const AttachmentRecord& attachment, bool incoming);
    void drawPicture(const QImage& picture, const QString& name, bool incoming);
    void drawTile(const QString& name, const QString& note, bool incoming);
    void drawMeta(const QString& time, const QString& badge, bool incoming);

    double sideX(double width, bool incoming) const;

    std::unique_ptr<QPdfWriter> m_pdf;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<PdfLook> m_look;
    QString m_conversationName;
    QDate m_day;
    int m_page = 0;
    double m_y = 0;
    bool m_pageEmpty = true;
};

} // namespace exporting
