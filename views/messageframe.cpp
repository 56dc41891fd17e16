#include "messageframe.h"

#include "MarkButton.h"
#include "RowLabel.h"

#include "ui_messageframe.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace views {

RowLook& RowLook::standard()
{
    static RowLook look;
    return look;
}

namespace {

// What a word-wrapping QLabel without margins needs at a width.
int labelHeight(const QFont& font, const QString& text, int width)
{
    return QFontMetrics(font)
        .boundingRect(0, 0, std::max(1, width), 2000, Qt::AlignLeft | Qt::TextWordWrap, text)
        .height();
}

int estimatedHeight(const QFont& font, const TextMeasure& measure, int line, const QString& text, int width)
{
    const TextShape s = measure.estimate(text, width);
    return s.lines * line + std::max(0, s.lines - 1) * QFontMetrics(font).leading();
}

// Width left for the texts, and the tallest of the other columns.
struct Columns
{
    int text = 0;
    int tallest = 0;
};

Columns columnsOf(const RowMetrics& m, int width, bool editing, bool offered)
{
    const int avail = width - m.margins.left() - m.margins.right();
    int columns = 1;
    int fixed = 0;
    Columns c;
    if (editing) {
        fixed += m.minus;
        c.tallest = std::max(c.tallest, m.minus);
        ++columns;
    }
    if (editing && offered) {
        fixed += m.deleteButton.width();
        c.tallest = std::max(c.tallest, m.deleteButton.height());
        ++columns;
    }
    if (!editing) {
        fixed += m.chevron.width();
        c.tallest = std::max(c.tallest, m.chevron.height());
        ++columns;
    }
    c.text = std::max(0, avail - fixed - m.spacing * (columns - 1));
    return c;
}

int heightOf(const RowMetrics& m, const Columns& c, int nameHeight, int textHeight)
{
    const int texts = std::max(nameHeight, m.timeLine) + m.lineSpacing + textHeight;
    return m.margins.top() + m.margins.bottom() + std::max(c.tallest, texts);
}

} // namespace

int rowHeight(const RowMetrics& m, const RowTexts& texts, int width, bool editing, bool offered, Measure how,
              bool* exact)
{
    bool ok = true;
    const Columns c = columnsOf(m, width, editing, offered);

    // A name that fits beside the widest time is one line whatever the time.
    int name = 0;
    bool one = false;
    m.nameMeasure->estimate(texts.name, c.text - m.nameSpacing - m.timeBound, &one);
    if (one) {
        name = m.nameLine;
    } else if (how == Measure::Exact) {
        const int time = RowLabel::lineSize(m.time, texts.time).width();
        name = labelHeight(m.name, texts.name, c.text - m.nameSpacing - time);
    } else {
        const int time = m.timeMeasure->estimate(texts.time, 100000).width + 1;
        name = estimatedHeight(m.name, *m.nameMeasure, m.nameLine, texts.name, c.text - m.nameSpacing - time);
        ok = false;
    }

    int text = 0;
    m.textMeasure->estimate(texts.text, c.text, &one);
    if (one) {
        text = m.textLine;
    } else if (how == Measure::Exact) {
        text = labelHeight(m.text, texts.text, c.text);
    } else {
        text = estimatedHeight(m.text, *m.textMeasure, m.textLine, texts.text, c.text);
        ok = false;
    }
    if (exact)
        *exact = ok;
    return heightOf(m, c, name, text);
}

int oneLineRowHeight(const RowMetrics& m, const QByteArray& name, const QByteArray& text, int width, bool editing,
                     bool offered)
{
    const Columns c = columnsOf(m, width, editing, offered);
    if (!m.nameMeasure->fitsOneLine(name, c.text - m.nameSpacing - m.timeBound) ||
        !m.textMeasure->fitsOneLine(text, c.text))
        return 0;
    return heightOf(m, c, m.nameLine, m.textLine);
}

} // namespace views

messageframe::messageframe(QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::messageframe>())
{
    ui->setupUi(this);
    ui->toolButton110->hide();
    ui->toolButton_2->hide();
    ui->toolButton_2->setText(tr("Delete"));
    ui->toolButton110->setObjectName(QStringLiteral("toolButtonV"));
    ui->toolButton110->setColors(m_look->minus, m_look->minus);
    // Names and texts come from the phone; never let them be read as markup.
    ui->label->setTextFormat(Qt::PlainText);
    ui->label_2->setTextFormat(Qt::PlainText);
    ui->label_3->setTextFormat(Qt::PlainText);
    // A long name wraps rather than pushing the time out of the row.
    ui->label->setWordWrap(true);

    // Fixed measures, so that the list page can tell a row's height without
    // a row: the texts take all the width the buttons leave, the time and
    // the buttons their own.
    ui->horizontalLayout_2->setContentsMargins(10, 8, 10, 8);
    ui->horizontalLayout_2->setSpacing(8);
    ui->verticalLayout->setSpacing(3);
    ui->horizontalLayout->setSpacing(8);
    ui->horizontalSpacer->changeSize(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    ui->label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->label_2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->label_3->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ui->label_4->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ui->toolButton_2->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ui->horizontalLayout_2->setStretch(1, 1);
}

messageframe::~messageframe() = default;

void messageframe::setContents(const QString& name, const QString& timeText, const QString& text)
{
    setMinusLook(QStringLiteral("toolButtonV"));
    ui->toolButton110->hide();
    ui->label->setText(views::breakableText(name));
    ui->label_2->setText(text);
    // The stored time text ends in a newline, which would give the row an
    // empty second line.
    ui->label_3->setText(timeText.trimmed());
}

void messageframe::resetMinusButton()
{
    deleteOffered = false;
    setMinusLook(QStringLiteral("toolButtonV"));
}

void messageframe::setDeleteOffered(bool offered)
{
    deleteOffered = offered;
    setMinusLook(offered ? QStringLiteral("toolButtonH") : QStringLiteral("toolButtonV"));
    ui->toolButton_2->setVisible(offered && ui->toolButton110->isVisibleTo(this));
}

void messageframe::setLook(const views::RowLook* look)
{
    m_look = look ? look : &views::RowLook::standard();
    ui->toolButton110->setColors(m_look->minus, m_look->minus);
    update();
}

views::RowMetrics messageframe::metrics()
{
    ensurePolished();
    views::RowMetrics m;
    m.margins = ui->horizontalLayout_2->contentsMargins();
    m.spacing = ui->horizontalLayout_2->spacing();
    m.lineSpacing = ui->verticalLayout->spacing();
    m.nameSpacing = ui->horizontalLayout->spacing();
    m.minus = ui->toolButton110->minimumWidth();
    m.deleteButton = ui->toolButton_2->sizeHint();
    m.chevron = ui->label_4->sizeHint();
    m.name = ui->label->font();
    m.time = ui->label_3->font();
    m.text = ui->label_2->font();
    m.nameMeasure = std::make_shared<views::TextMeasure>(m.name);
    m.textMeasure = std::make_shared<views::TextMeasure>(m.text);
    m.timeMeasure = std::make_shared<views::TextMeasure>(m.time);
    m.nameLine = views::labelHeight(m.name, QStringLiteral("x"), 2000);
    m.textLine = views::labelHeight(m.text, QStringLiteral("x"), 2000);
    m.timeLine = RowLabel::lineSize(m.time, QStringLiteral("x")).height();
    // Digits of most fonts are all as wide; the widest of them stands for each.
    QChar widest = QLatin1Char('0');
    for (char d = '1'; d <= '9'; ++d) {
        if (RowLabel::lineSize(m.time, QString(QLatin1Char(d))).width() >
            RowLabel::lineSize(m.time, QString(widest)).width())
            widest = QLatin1Char(d);
    }
    const QString digits = QStringLiteral(" %1%1 %1%1:%1%1:%1%1 %1%1%1%1").arg(widest);
    for (const char* day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}) {
        for (const char* month : {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}) {
            const QString time =
                QStringLiteral("time:") + QLatin1String(day) + QLatin1Char(' ') + QLatin1String(month) + digits;
            m.timeBound = std::max(m.timeBound, RowLabel::lineSize(m.time, time).width());
        }
    }
    m.timeBound += 2;
    return m;
}

void messageframe::deleteButtonState(bool b)
{
    ui->toolButton110->setVisible(b);
    if (b) {
        ui->label_4->hide();
    } else {
        ui->label_4->show();
        ui->toolButton_2->hide();
    }
}

void messageframe::on_toolButton_2_clicked()
{
    emit sendDeletePerson(phoneNumber, this);
}

void messageframe::on_toolButton110_clicked()
{
    deleteOffered = !deleteOffered;
    setMinusLook(deleteOffered ? QStringLiteral("toolButtonH") : QStringLiteral("toolButtonV"));
    ui->toolButton_2->setVisible(deleteOffered);
    emit deleteOfferChanged(this, deleteOffered);
}

void messageframe::setMinusLook(const QString& name)
{
    QWidget* minus = ui->toolButton110;
    if (minus->objectName() != name) {
        // The minus draws itself by its name.
        minus->setObjectName(name);
        minus->update();
    }
}

bool messageframe::event(QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease)
        emit selClicked(phoneNumber);
    return QFrame::event(e);
}

void messageframe::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        // The designer texts are samples; keep what the row shows.
        const QString name = ui->label->text();
        const QString time = ui->label_3->text();
        const QString text = ui->label_2->text();
        ui->retranslateUi(this);
        ui->label->setText(name);
        ui->label_3->setText(time);
        ui->label_2->setText(text);
        ui->toolButton_2->setText(tr("Delete"));
    }
}

void messageframe::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_look->background);
    p.fillRect(QRect(0, height() - 1, width(), 1), m_look->separator);
}
