#pragma once

// A dialog class made frameless and translucent and drawn over a shellkit
// background frame, which follows its size and title and shows in its title
// bar whether the dialog's window is active.

#include "xproductInfo.h"

#include <QEvent>
#include <QIcon>
#include <QWidget>

template <class Dialog, class FrameT> class xdialogContainer : public Dialog
{
public:
    explicit xdialogContainer(QWidget* parent = nullptr) : Dialog(parent)
    {
        Dialog::setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
        Dialog::setAttribute(Qt::WA_TranslucentBackground);
        m_frame = new FrameT(this);
        if (xproductInfo::m_instance)
            Dialog::setWindowTitle(xproductInfo::m_instance->productName());
        Dialog::setMinimumSize(400, 300);
        // The frame draws its title bar inside the top margin.
        Dialog::setContentsMargins(10, 10 + FrameT::titleBarHeight(), 10, 10);
        if (xproductInfo::m_instance && !xproductInfo::m_instance->iconFile().isEmpty()) {
            m_frame->setWindowIcon(xproductInfo::m_instance->iconFile());
            Dialog::setWindowIcon(QIcon(xproductInfo::m_instance->iconFile()));
        }
    }

    FrameT* frame() const { return m_frame; }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::WindowTitleChange)
            m_frame->handleEvent(event);
        return Dialog::event(event);
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ActivationChange)
            m_frame->enableTitleBar(Dialog::isActiveWindow());
        Dialog::changeEvent(event);
    }

private:
    FrameT* m_frame = nullptr;
};
