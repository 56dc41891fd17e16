#include "ItemColumn.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace views {

namespace {

// Work done per idle slice while estimates are made exact: short enough
// that scrolling and typing stay smooth in between.
constexpr qint64 kSliceNs = 4'000'000;
// Estimates are made exact only once the view has been still this long:
// while the user scrolls, each moment goes to what comes into view.
constexpr int kStillMs = 60;

} // namespace

void placeWidget(QWidget* w, const QRect& rect)
{
    if (w->geometry() != rect)
        w->setGeometry(rect);
    if (w->isHidden())
        w->show();
}

ItemColumn::ItemColumn(QAbstractScrollArea* area, QWidget* canvas, Items* items, QObject* parent)
    : QObject(parent), m_area(area), m_bar(area->verticalScrollBar()), m_canvas(canvas), m_items(items)
{
    m_canvas->setGeometry(area->viewport()->rect());
    m_width = m_canvas->width();
    m_bar->setRange(0, 0);
    m_bar->setSingleStep(20);
    connect(m_bar, &QScrollBar::valueChanged, this, &ItemColumn::onScrolled);
    area->viewport()->installEventFilter(this);
}

int ItemColumn::width() const
{
    return m_canvas->width();
}

void ItemColumn::reset(int count, bool fromTop)
{
    const int keep = fromTop ? 0 : m_bar->value();
    for (int item : std::as_const(m_liveList))
        m_items->detach(item);
    m_items->settle();
    m_liveList.clear();
    m_live.fill(false, count);
    m_exact.fill(false, count);

    const int w = width();
    QVector<int> heights(count);
    m_estimated = 0;
    for (int i = 0; i < count; ++i) {
        bool exact = false;
        heights[i] = m_items->quickHeight(i, w, &exact);
        m_exact[i] = exact;
        m_estimated += exact ? 0 : 1;
    }
    m_heights.reset(heights);
    m_refineFrom = 0;
    updateRange(keep);
    layoutWindow();
    scheduleRefine();
}

void ItemColumn::remeasureAll()
{
    int a = -1;
    qint64 offset = 0;
    anchor(&a, &offset);
    const int w = width();
    const int n = count();
    QVector<int> heights(n);
    m_estimated = 0;
    for (int i = 0; i < n; ++i) {
        bool exact = true;
        heights[i] = m_live[i] ? m_items->attach(i, w) : m_items->quickHeight(i, w, &exact);
        m_exact[i] = exact;
        m_estimated += exact ? 0 : 1;
    }
    m_heights.reset(heights);
    m_refineFrom = 0;
    updateRange(anchoredValue(a, offset));
    layoutWindow();
    scheduleRefine();
}

void ItemColumn::scrollToItem(int item)
{
    if (item < 0 || item >= count())
        return;
    // Twice: bringing the item and its neighbours in measures them exactly,
    // which may move the item from where its estimate put it.
    for (int pass = 0; pass < 2; ++pass) {
        const qint64 h = m_heights.height(item);
        const qint64 value = m_heights.top(item) - std::max<qint64>(0, (m_canvas->height() - h) / 2);
        updateRange(value);
        layoutWindow();
    }
}

QRect ItemColumn::itemRect(int item) const
{
    if (item < 0 || item >= count())
        return {};
    return QRect(0, int(m_heights.top(item) - m_bar->value()), width(), m_heights.height(item));
}

void ItemColumn::remeasure(int item)
{
    remeasure(QVector<int>{item});
}

void ItemColumn::remeasure(const QVector<int>& items)
{
    int a = -1;
    qint64 offset = 0;
    anchor(&a, &offset);
    const int w = width();
    for (int item : items) {
        if (item < 0 || item >= count())
            continue;
        bool exact = true;
        const int h = m_live[item] ? m_items->attach(item, w) : m_items->quickHeight(item, w, &exact);
        m_heights.setHeight(item, h);
        if (m_exact[item] != exact) {
            m_exact[item] = exact;
            m_estimated += exact ? -1 : 1;
        }
    }
    updateRange(anchoredValue(a, offset));
    layoutWindow();
    scheduleRefine();
}

bool ItemColumn::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area->viewport()) {
        if (event->type() == QEvent::Resize) {
            m_canvas->setGeometry(m_area->viewport()->rect());
            if (m_canvas->width() != m_width) {
                m_width = m_canvas->width();
                remeasureAll();
            } else {
                updateRange(m_bar->value());
                layoutWindow();
            }
        } else if (event->type() == QEvent::Show) {
            scheduleRefine();
        }
    }
    return QObject::eventFilter(watched, event);
}

void ItemColumn::onScrolled(int value)
{
    if (m_inLayout)
        return;
    const int dy = m_lastValue - value;
    m_lastValue = value;
    m_lastScroll.start();
    // A short step moves the widgets there are and copies what stays on
    // screen, as a list view does; only what comes into view is painted.
    if (dy != 0 && std::abs(dy) < m_canvas->height())
        m_canvas->scroll(0, dy);
    layoutWindow();
}

void ItemColumn::updateRange(qint64 value)
{
    const int vh = m_canvas->height();
    const qint64 top = std::max<qint64>(0, m_heights.total() - vh);
    const int maximum = int(std::min<qint64>(top, INT_MAX));
    const QSignalBlocker blocker(m_bar);
    m_bar->setPageStep(std::max(1, vh));
    m_bar->setRange(0, maximum);
    // While the user drags the handle the view follows the handle, not the anchor.
    if (!m_bar->isSliderDown())
        m_bar->setValue(int(std::clamp<qint64>(value, 0, maximum)));
    if (m_lastValue != m_bar->value()) {
        const int dy = m_lastValue - m_bar->value();
        m_lastValue = m_bar->value();
        if (std::abs(dy) < m_canvas->height())
            m_canvas->scroll(0, dy);
    }
}

void ItemColumn::anchor(int* item, qint64* offset) const
{
    const qint64 value = m_bar->value();
    *item = m_heights.itemAt(value);
    *offset = *item < 0 ? 0 : value - m_heights.top(*item);
}

qint64 ItemColumn::anchoredValue(int item, qint64 offset) const
{
    if (item < 0 || item >= count())
        return 0;
    return m_heights.top(item) + std::min<qint64>(offset, m_heights.height(item));
}

void ItemColumn::layoutWindow()
{
    if (m_inLayout)
        return;
    m_inLayout = true;
    const int w = width();
    const int vh = m_canvas->height();
    const int margin = std::max(vh / 2, 100);
    const int n = count();

    auto window = [&](int* first, int* last) {
        const qint64 value = m_bar->value();
        *first = m_heights.itemAt(std::max<qint64>(0, value - margin));
        *last = m_heights.itemAt(value + vh + margin);
    };
    // Items coming into view are measured by their widgets; where that
    // changes a height, the view is anchored again and the window looked
    // at once more.
    for (int pass = 0; pass < 4 && n > 0; ++pass) {
        int a = -1;
        qint64 offset = 0;
        anchor(&a, &offset);
        int first = 0;
        int last = -1;
        window(&first, &last);
        bool changed = false;
        for (int i = first; i <= last; ++i) {
            if (needsWidgets(i))
                changed = bringIn(i, w) || changed;
        }
        if (!changed)
            break;
        updateRange(anchoredValue(a, offset));
    }

    int first = 0;
    int last = -1;
    if (n > 0)
        window(&first, &last);
    // Should the heights still have moved in the last pass, whatever is now
    // in view gets its widgets all the same.
    for (int i = first; i <= last; ++i) {
        if (needsWidgets(i))
            bringIn(i, w);
    }
    const qint64 value = m_bar->value();
    for (int k = int(m_liveList.size()) - 1; k >= 0; --k) {
        const int item = m_liveList[k];
        if (item < first || item > last || m_heights.height(item) == 0) {
            m_items->detach(item);
            m_live[item] = false;
            m_liveList.remove(k);
        }
    }
    for (int item : std::as_const(m_liveList))
        m_items->place(item, QRect(0, int(m_heights.top(item) - value), w, m_heights.height(item)));
    m_items->settle();
    m_inLayout = false;
}

bool ItemColumn::needsWidgets(int item) const
{
    // Items of no height (deleted ones) show nothing.
    return !m_live[item] && !(m_exact[item] && m_heights.height(item) == 0);
}

bool ItemColumn::bringIn(int item, int width)
{
    const int h = m_items->attach(item, width);
    m_live[item] = true;
    m_liveList.append(item);
    if (!m_exact[item]) {
        m_exact[item] = true;
        --m_estimated;
    }
    if (h == m_heights.height(item))
        return false;
    m_heights.setHeight(item, h);
    return true;
}

void ItemColumn::scheduleRefine()
{
    if (m_refinePending || m_estimated <= 0 || !m_canvas->isVisible())
        return;
    m_refinePending = true;
    const bool scrolling = m_lastScroll.isValid() && m_lastScroll.elapsed() < kStillMs;
    QTimer::singleShot(scrolling ? kStillMs : 0, this, [this] {
        m_refinePending = false;
        refineSlice();
    });
}

void ItemColumn::refineSlice()
{
    if (m_estimated <= 0 || !m_canvas->isVisible())
        return;
    if (m_lastScroll.isValid() && m_lastScroll.elapsed() < kStillMs) {
        scheduleRefine();
        return;
    }
    int a = -1;
    qint64 offset = 0;
    anchor(&a, &offset);
    const int w = width();
    const int n = count();
    bool changed = false;
    QElapsedTimer clock;
    clock.start();
    while (m_refineFrom < n && clock.nsecsElapsed() < kSliceNs) {
        const int i = m_refineFrom++;
        if (m_exact[i] || m_live[i])
            continue;
        const int h = m_items->exactHeight(i, w);
        m_exact[i] = true;
        --m_estimated;
        if (h != m_heights.height(i)) {
            m_heights.setHeight(i, h);
            changed = true;
        }
    }
    if (m_refineFrom >= n) {
        // After a whole pass, count what is left afresh: an idle loop must
        // never spin on a count that went wrong.
        m_refineFrom = 0;
        m_estimated = int(std::count(m_exact.begin(), m_exact.end(), false));
    }
    if (changed) {
        updateRange(anchoredValue(a, offset));
        layoutWindow();
    }
    scheduleRefine();
}

} // namespace views
