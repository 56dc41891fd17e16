#pragma once

// Carries the link state from the device library's thread to the window.
// Created on the GUI thread; an automatic connection to validlink(bool) is
// therefore queued and the receiver sees the reports in their order.

#include <QObject>

class DetectIphoneAction : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    void validlink(bool islink);
};
