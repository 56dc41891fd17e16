#include "xdialogs.h"

#include "xbackgroundFrame.h"
#include "xdialogContainer.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>

namespace {

// Answers and records of the test seam. Boxes are only ever shown from the
// GUI thread, so plain statics are enough.
struct SeamState
{
    bool active = false;
    QList<int> answers;
    QList<shellkit::ShownDialog> shown;
    int unanswered = 0;
};

SeamState& seam()
{
    static SeamState state;
    return state;
}

// The answer a box gives when it is closed without a choice: OK for the
// single-button box, Cancel or No for the others.
int closedResult(shellkit::ShownDialog::Kind kind)
{
    return kind == shellkit::ShownDialog::OK ? 0 : 1;
}

int answerFromSeam(shellkit::ShownDialog::Kind kind, const QString& title, const QString& text)
{
    SeamState& s = seam();
    s.shown.append({kind, title, text});
    if (s.answers.isEmpty()) {
        ++s.unanswered;
        return closedResult(kind);
    }
    const int answer = s.answers.takeFirst();
    if (kind == shellkit::ShownDialog::OK)
        return 0;
    // Only 0 means "confirmed"/"yes"; anything else reads as the other button.
    return answer == 0 ? 0 : 1;
}

QMessageBox::Icon iconFor(shellkit::ShownDialog::Kind kind, const QString& title)
{
    if (title.compare(QLatin1String("Error"), Qt::CaseInsensitive) == 0)
        return QMessageBox::Critical;
    if (title.compare(QLatin1String("Warning"), Qt::CaseInsensitive) == 0)
        return QMessageBox::Warning;
    return kind == shellkit::ShownDialog::YesNo ? QMessageBox::Question : QMessageBox::Information;
}

// The style's own box icons clash with the flat frame; a painted badge in
// the frame's colours takes their place.
QPixmap badgeFor(QMessageBox::Icon icon, qreal ratio)
{
    const int size = 32;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QColor colour(0x0e, 0x74, 0x90);
    QString mark = QStringLiteral("i");
    switch (icon) {
    case QMessageBox::Critical:
        colour = QColor(0xd9, 0x3a, 0x3a);
        mark = QStringLiteral("\u00d7");
        break;
    case QMessageBox::Warning:
        colour = QColor(0xe0, 0x8a, 0x0b);
        mark = QStringLiteral("!");
        break;
    case QMessageBox::Question:
        mark = QStringLiteral("?");
        break;
    default:
        break;
    }

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    QFont font = painter.font();
    font.setPixelSize(icon == QMessageBox::Critical ? 26 : 20);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, icon == QMessageBox::Critical ? -1 : 0, size, size), Qt::AlignCenter, mark);
    return pixmap;
}

int showBox(QWidget* parent, shellkit::ShownDialog::Kind kind, const QString& title, const QString& text)
{
    if (seam().active)
        return answerFromSeam(kind, title, text);

    xdialogContainer<QMessageBox, xbackgroundFrame> box(parent);
    box.setObjectName(QStringLiteral("xdialogBox"));
    box.setWindowTitle(title);
    box.setText(text);
    box.setIconPixmap(badgeFor(iconFor(kind, title), box.devicePixelRatioF()));
    // A frameless box has no close button, so every box needs an Escape answer.
    switch (kind) {
    case shellkit::ShownDialog::OK:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case shellkit::ShownDialog::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case shellkit::ShownDialog::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    const QList<QAbstractButton*> buttons = box.buttons();
    for (QAbstractButton* button : buttons)
        button->setIcon(QIcon());
    const int pressed = box.exec();
    switch (kind) {
    case shellkit::ShownDialog::OK:
        return 0;
    case shellkit::ShownDialog::OKCancel:
        return pressed == QMessageBox::Ok ? 0 : 1;
    case shellkit::ShownDialog::YesNo:
        return pressed == QMessageBox::Yes ? 0 : 1;
    }
    return closedResult(kind);
}

} // namespace

int infoDialogOK(QWidget* parent, const QString& title, const QString& text)
{
    return showBox(parent, shellkit::ShownDialog::OK, title, text);
}

int infoDialogOKCancel(QWidget* parent, const QString& title, const QString& text)
{
    return showBox(parent, shellkit::ShownDialog::OKCancel, title, text);
}

int yesNoDialog(QWidget* parent, const QString& title, const QString& text)
{
    return showBox(parent, shellkit::ShownDialog::YesNo, title, text);
}

namespace shellkit {

void DialogSeam::activate()
{
    seam().active = true;
}

void DialogSeam::deactivate()
{
    seam().active = false;
}

bool DialogSeam::isActive()
{
    return seam().active;
}

void DialogSeam::pushAnswer(int answer)
{
    seam().answers.append(answer);
}

int DialogSeam::pendingAnswers()
{
    return static_cast<int>(seam().answers.size());
}

QList<ShownDialog> DialogSeam::shown()
{
    return seam().shown;
}

int DialogSeam::unanswered()
{
    return seam().unanswered;
}

void DialogSeam::reset()
{
    SeamState& s = seam();
    s.answers.clear();
    s.shown.clear();
    s.unanswered = 0;
}

} // namespace shellkit
