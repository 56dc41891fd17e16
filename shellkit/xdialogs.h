#pragma once

// The three message boxes of the shell. Every box of the programs goes
// through these, so that tests can answer them: DialogSeam queues answers
// and records what would have been shown, and no window opens while it is
// active.

#include <QList>
#include <QString>

class QWidget;

// One button; the result is always 0.
int infoDialogOK(QWidget* parent, const QString& title, const QString& text);
// Returns 1 when cancelled, 0 when confirmed.
int infoDialogOKCancel(QWidget* parent, const QString& title, const QString& text);
// Returns 0 when answered yes, 1 for no.
int yesNoDialog(QWidget* parent, const QString& title, const QString& text);

namespace shellkit {

struct ShownDialog
{
    enum Kind { OK, OKCancel, YesNo };
    Kind kind;
    QString title;
    QString text;
};

class DialogSeam
{
public:
    // Turns the seam on: boxes no longer open but take their answer from
    // the queue. A box met with an empty queue answers as if closed
    // (OK, Cancel, No) and is counted in unanswered().
    static void activate();
    static void deactivate();
    static bool isActive();

    static void pushAnswer(int answer);
    static int pendingAnswers();
    static QList<ShownDialog> shown();
    static int unanswered();
    // Forgets answers and records; the seam stays as it was.
    static void reset();
};

} // namespace shellkit
