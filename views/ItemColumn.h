#pragma once

// A column of items of any length in a scroll area, of which only the items
// near the visible part (on screen plus half a screen above and below) have
// widgets; every other item is a height. The scroll area's own content
// widget is not used: its size is limited, and it would be laid out whole.
// The column draws on a canvas that covers the viewport, keeps the scroll
// bar's range at the height of all items, and moves the widgets it has as
// the bar moves.
//
// Heights of items without widgets start as quick estimates and are made
// exact a slice at a time while the program is idle; an item that gets a
// widget is measured exactly at once. Whenever heights change above the
// item at the top of the view, the view stays where the user left it.

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QVector>

#include "HeightIndex.h"

class QAbstractScrollArea;
class QScrollBar;
class QWidget;

namespace views {

class ItemColumn : public QObject
{
    Q_OBJECT
public:
    // What the column asks of the page that owns the items.
    class Items
    {
    public:
        virtual ~Items() = default;
        // A height for an item that has no widget, at a canvas width. It may
        // be an estimate; *exact says whether it is one.
        virtual int quickHeight(int item, int width, bool* exact) = 0;
        // The exact height of an item that has no widget.
        virtual int exactHeight(int item, int width) = 0;
        // Gives the item its widgets (or brings those it has up to date)
        // and returns its exact height as they measure it.
        virtual int attach(int item, int width) = 0;
        // Puts the item's widgets at rect, in canvas coordinates, and shows them.
        virtual void place(int item, const QRect& rect) = 0;
        // Takes the item's widgets back; they may go to the next item.
        virtual void detach(int item) = 0;
        // Called after a pass: widgets taken back and not given out again
        // are hidden now.
        virtual void settle() = 0;
    };

    ItemColumn(QAbstractScrollArea* area, QWidget* canvas, Items* items, QObject* parent = nullptr);

    // A new set of items, shown from the top, or from where the view was.
    void reset(int count, bool fromTop = true);
    // Every height may have changed (a mode, the look): items with widgets
    // are brought up to date, the others estimated again.
    void remeasureAll();
    // Scrolls so that the item stands in the middle of the view (or as near
    // as the ends allow).
    void scrollToItem(int item);
    // Where the item is now, in canvas coordinates (it may lie outside the view).
    QRect itemRect(int item) const;

    // One item's content or state changed.
    void remeasure(int item);
    void remeasure(const QVector<int>& items);

    int count() const { return m_heights.count(); }
    int width() const;
    qint64 totalHeight() const { return m_heights.total(); }
    // Items whose height is still an estimate.
    int estimatedCount() const { return m_estimated; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void onScrolled(int value);
    void layoutWindow();
    bool needsWidgets(int item) const;
    // Gives the item its widgets; returns whether that changed its height.
    bool bringIn(int item, int width);
    void updateRange(qint64 value);
    void scheduleRefine();
    void refineSlice();
    void anchor(int* item, qint64* offset) const;
    qint64 anchoredValue(int item, qint64 offset) const;

    QAbstractScrollArea* m_area;
    QScrollBar* m_bar;
    QWidget* m_canvas;
    Items* m_items;
    HeightIndex m_heights;
    QVector<bool> m_exact;
    QVector<bool> m_live;
    QVector<int> m_liveList;
    int m_estimated = 0;
    int m_refineFrom = 0;
    int m_lastValue = 0;
    QElapsedTimer m_lastScroll;
    int m_width = -1;
    bool m_inLayout = false;
    bool m_refinePending = false;
};

// Puts a widget of an item where the column wants it, and shows it, doing
// nothing where nothing changes: most of a window stays as it was.
void placeWidget(QWidget* w, const QRect& rect);

} // namespace views
