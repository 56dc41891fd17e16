#pragma once

#include <QLayout>

namespace views {

// Adds many widgets to a long layout at linear cost. Showing a widget in a
// visible parent makes Qt lay out the parent's whole layout at once, so
// rows shown one by one cost quadratic time in a long list. While a batch
// lives the layout is switched off; it lays out once when the batch ends.
class LayoutBatch
{
public:
    explicit LayoutBatch(QLayout* layout) : m_layout(layout) { m_layout->setEnabled(false); }
    ~LayoutBatch()
    {
        m_layout->setEnabled(true);
        m_layout->invalidate();
    }

    LayoutBatch(const LayoutBatch&) = delete;
    LayoutBatch& operator=(const LayoutBatch&) = delete;

private:
    QLayout* m_layout;
};

} // namespace views
