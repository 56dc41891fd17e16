#include "MainWindow.h"

#include "ui_updater_mainwindow.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xdialogs.h"
#include "xplatform.h"
#include "xpublicPath.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    setWindowTitle(tr("Update"));

    downloads.setDownloadFolder(xpublicPath::downloadPath());
    connect(&downloads, &DownloadManager::progress, this, &MainWindow::progress);
    connect(&downloads, &DownloadManager::finished, this, &MainWindow::finished);
}

MainWindow::~MainWindow() = default;

void MainWindow::progress(qint64 bytesReceived, qint64 bytesTotal, const QString& speed)
{
    // An unknown (-1) or empty (0) size gives no share of anything: the bar
    // stays where it is while the speed keeps moving.
    if (bytesTotal > 0) {
        const double percent = std::trunc(double(bytesReceived) * 100.0 / double(bytesTotal));
        if (percent >= ui->progressBar->minimum() && percent <= ui->progressBar->maximum())
            ui->progressBar->setValue(int(percent));
    }
    ui->label_3->setText(speed);
}

void MainWindow::on_pushButton_clicked()
{
    close();
}

void MainWindow::finished(int downloadedCount, int totalCount)
{
    if (downloadedCount != totalCount) {
        xdialogContainer<QMessageBox, xbackgroundFrame> box;
        box.setWindowTitle(tr("Error"));
        box.setInformativeText(tr("Download error"));
        box.addButton(tr("Ok"), QMessageBox::AcceptRole);
        box.setIcon(QMessageBox::Critical);
        box.exec();
        close();
        return;
    }

    xdialogContainer<QMessageBox, xbackgroundFrame> box;
    box.setWindowTitle(tr("Success"));
    box.setInformativeText(tr("Download Success,do you want to install?"));
    QPushButton* install = box.addButton(tr("&Install"), QMessageBox::AcceptRole);
    // Neither button rejects, so the box has no escape button: Escape and a
    // close request do nothing and only a button ends it.
    QPushButton* cancel = box.addButton(tr("&Cancel"), QMessageBox::ActionRole);
    box.setIcon(QMessageBox::Question);
    box.exec();

    if (box.clickedButton() == install) {
        // Not executable here (no execute permission, not a program): the
        // platform layer hands it to the desktop's opener instead. When even
        // that fails, the user learns where the file is rather than nothing.
        const QString installer = downloads.currentFileName();
        if (!shellkit::startInstaller(installer)) {
            infoDialogOK(nullptr, tr("Error"),
                         tr("The downloaded file could not be started:\n%1").arg(QDir::toNativeSeparators(installer)));
        }
        close();
    } else if (box.clickedButton() == cancel) {
        close();
    }
}
