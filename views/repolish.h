#pragma once

#include <QStyle>
#include <QWidget>

namespace views {

// The skin chooses looks by object name ("toolButtonV"/"toolButtonH",
// "itemFrame1111"/"itemFrame2222"), but Qt matches style rules only when a
// widget is polished. Re-polishing the one widget that was renamed makes the
// new rules apply; a style sheet of its own on every row or bubble would do
// the same but costs a private style object per widget, which dominated the
// time and memory of long lists.
inline void repolish(QWidget* w)
{
    QStyle* s = w->style();
    s->unpolish(w);
    s->polish(w);
    w->update();
}

} // namespace views
