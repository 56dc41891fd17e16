#pragma once

// Hosts a window class inside a shellkit frame: the container *is* the window
// (public base) and lives as the content of the frame it creates, so the
// frame is the real top-level window.

#include "xproductInfo.h"

#include <QString>
#include <QWidget>

template <class Window, class FrameT> class xframeContainer : public Window
{
public:
    explicit xframeContainer(QWidget* parent = nullptr) : Window(parent), m_frame(new FrameT(parent))
    {
        QWidget::setParent(m_frame);
        m_frame->setChild(this);
        if (xproductInfo::m_instance && !xproductInfo::m_instance->iconFile().isEmpty()) {
            const QString icon = xproductInfo::m_instance->iconFile();
            m_frame->setWindowIcon(icon);
            xproductInfo::m_instance->setIconFile(icon);
        }
    }

    // The frame is not deleted here: it is the top-level window that owns
    // the container as its child, and the entry routine tears it down.
    ~xframeContainer() override = default;

    void show() { m_frame->show(); }

    void setWindowIcon(const QString& iconFile)
    {
        m_frame->setWindowIcon(iconFile);
        if (xproductInfo::m_instance)
            xproductInfo::m_instance->setIconFile(iconFile);
    }

    void setObjectName(const QString& name) { m_frame->setObjectName(name); }

    FrameT* frame() const { return m_frame; }

private:
    FrameT* m_frame;
};
