#pragma once

// One row of the conversation list: the name (or number), the time and the
// latest text of one conversation, with the minus and "Delete" buttons of
// edit mode. The row keeps the conversation's address, which it reports on
// click and on delete.
//
// The list page reuses rows for whatever conversations scroll into view and
// tells each row its state again; it also needs a row's height without a
// row, which rowHeight() gives from the measures of a row the skin has
// polished (RowMetrics), the same way the row's layout arrives at it.

#include "BubbleLook.h"

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QMargins>
#include <QSize>

#include <memory>

namespace Ui {
class messageframe;
}

namespace views {

// The row's own painting, set once for the page by the skin.
struct RowLook
{
    QColor background{0xff, 0xff, 0xff};
    QColor separator{0xe6, 0xe8, 0xeb};
    QColor minus{0xe5, 0x48, 0x4d};

    static RowLook& standard();
};

struct RowMetrics
{
    QMargins margins;
    int spacing = 0;     // between the row's columns
    int lineSpacing = 0; // between the name line and the text
    int nameSpacing = 0; // between the name and the time
    int minus = 20;
    QSize deleteButton;
    QSize chevron;
    QFont name;
    QFont time;
    QFont text;
    // For estimates: the label fonts' advances, and one line of each label.
    std::shared_ptr<const TextMeasure> nameMeasure;
    std::shared_ptr<const TextMeasure> textMeasure;
    std::shared_ptr<const TextMeasure> timeMeasure;
    int nameLine = 0;
    int textLine = 0;
    int timeLine = 0;
    // The widest a time text of years 1000 to 9999 can be.
    int timeBound = 0;
};

struct RowTexts
{
    QString name; // as shown: breakableText() of the name
    QString time;
    QString text;
};

// Height of a row of the given width; Quick estimates the wrapped texts.
int rowHeight(const RowMetrics& m, const RowTexts& texts, int width, bool editing, bool offered, Measure how,
              bool* exact = nullptr);

// The height of a row whose name and text, as stored, are plain ASCII sure
// to be one line each; 0 for any other row. No text is made for it.
int oneLineRowHeight(const RowMetrics& m, const QByteArray& name, const QByteArray& text, int width, bool editing,
                     bool offered);

} // namespace views

class messageframe : public QFrame
{
    Q_OBJECT
public:
    explicit messageframe(QWidget* parent = nullptr);
    ~messageframe() override;

    void setPhoneNumber(const QString& value) { phoneNumber = value; }
    QString number() const { return phoneNumber; }
    void setContents(const QString& name, const QString& timeText, const QString& text);
    void resetMinusButton();
    bool isDeleteOffered() const { return deleteOffered; }
    // Brings back the state of a conversation whose Delete was offered.
    void setDeleteOffered(bool offered);
    void setLook(const views::RowLook* look);
    // The measures of this row as the skin has made it.
    views::RowMetrics metrics();

signals:
    void selClicked(QString id);
    void sendDeletePerson(QString Tel, messageframe* row);
    // The minus button offered or withdrew "Delete".
    void deleteOfferChanged(messageframe* row, bool offered);

public slots:
    void deleteButtonState(bool b);

private slots:
    void on_toolButton_2_clicked();
    void on_toolButton110_clicked();

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void setMinusLook(const QString& name);

    std::unique_ptr<Ui::messageframe> ui;
    bool deleteOffered = false;
    QString phoneNumber;
    const views::RowLook* m_look = &views::RowLook::standard();
};
