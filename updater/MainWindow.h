#pragma once

// The updater's progress window: follows the download engine's transfers
// with a bar and a speed label and, when the queue has run empty, asks
// whether to start the last file as the installer.

#include "DownloadManager.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    DownloadManager& downloadManager() { return downloads; }

public slots:
    void finished(int downloadedCount, int totalCount);
    void progress(qint64 bytesReceived, qint64 bytesTotal, const QString& speed);

private slots:
    void on_pushButton_clicked();

private:
    std::unique_ptr<Ui::MainWindow> ui;
    DownloadManager downloads;
};
