#include "MainWindow.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    setMinimumSize(677, 471);
    setWindowTitle(tr("MainWindow"));
}

MainWindow::~MainWindow() = default;
