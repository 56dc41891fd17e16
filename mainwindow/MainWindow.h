#pragma once

// The main window of msgdesk. For now an empty window of the right size, so
// that the program starts and shows its skinned frame; the navigation list
// and the pages come with the main-window work.

#include <QMainWindow>

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;
};
