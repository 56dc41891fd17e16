#pragma once

// Texts that the window's helpers show keep the window's translation
// context, where they were first said, so the catalogues keep one entry
// each. A class of its own, not a function, so that lupdate sees the texts.

#include <QCoreApplication>

class WindowTexts
{
    Q_DECLARE_TR_FUNCTIONS(MainWindow)
};
