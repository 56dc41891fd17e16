#include "BackupChooser.h"

#include "BackupInfo.h"
#include "PhoneBackup.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const int kFolderRole = Qt::UserRole;

// Twice the size it is shown at, so that it stays sharp on dense screens.
QPixmap lockPixmap(const QColor& colour)
{
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.6));
    painter.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(5, 8);
    shackle.lineTo(5, 5.5);
    shackle.arcTo(QRectF(5, 2, 6, 6), 180, -180);
    shackle.lineTo(11, 8);
    painter.drawPath(shackle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(3, 7.5, 10, 7), 1.5, 1.5);
    return pixmap;
}

// Drawn rather than loaded: the dialog needs no resource bundle to show it.
// White on the selected row, where the skin's colour would vanish.
QIcon lockIcon()
{
    static const QIcon icon = [] {
        QIcon lock(lockPixmap(QColor(0x0e, 0x74, 0x90)));
        lock.addPixmap(lockPixmap(Qt::white), QIcon::Selected);
        return lock;
    }();
    return icon;
}

QString sameFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}

// A folder the user picked that is a backup itself rather than a folder of
// backups: the window opens it and reports what is wrong with it.
bool isBackupFolder(const QString& folder)
{
    const QDir dir(folder);
    for (const char* name : {"Info.plist", "Manifest.plist", "Manifest.db", "Manifest.mbdb", "Status.plist"})
        if (QFileInfo::exists(dir.filePath(QLatin1String(name))))
            return true;
    return false;
}

} // namespace

QString backupDateText(const QDateTime& when)
{
    if (!when.isValid())
        return QString();
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString choosePhoneBackup(QWidget* parent, const QStringList& roots)
{
    xdialogContainer<BackupChooser, xbackgroundFrame> dialog(parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setRoots(roots);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.chosenFolder();
}

BackupChooser::BackupChooser(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BackupChooser"));
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    m_heading->setWordWrap(true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("backupList"));
    m_list->setColumnCount(ColumnCount);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(DeviceColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(VersionColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(DateColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(StateColumn, QHeaderView::ResizeToContents);
    header->setSectionsMovable(false);

    m_empty = new QLabel(this);
    m_empty->setObjectName(QStringLiteral("emptyLabel"));
    m_empty->setWordWrap(true);
    m_empty->setAlignment(Qt::AlignCenter);

    m_chooseFolder = new QPushButton(this);
    m_chooseFolder->setObjectName(QStringLiteral("chooseFolderButton"));
    m_chooseFolder->setAutoDefault(false);
    m_open = new QPushButton(this);
    m_open->setObjectName(QStringLiteral("openButton"));
    m_open->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);

    connect(m_chooseFolder, &QPushButton::clicked, this, &BackupChooser::chooseFolder);
    connect(m_open, &QPushButton::clicked, this, &BackupChooser::openSelected);
    connect(m_cancel, &QPushButton::clicked, this, &BackupChooser::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &BackupChooser::updateState);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item && (item->flags() & Qt::ItemIsSelectable))
            choose(item->data(DeviceColumn, kFolderRole).toString());
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_chooseFolder);
    buttons->addStretch(1);
    buttons->addWidget(m_open);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_empty, 1);
    layout->addLayout(buttons);
    resize(620, 380);
    retranslate();
    updateState();
}

void BackupChooser::setRoots(const QStringList& roots)
{
    m_list->clear();
    if (QTreeWidgetItem* first = addBackups(roots))
        m_list->setCurrentItem(first);
    updateState();
}

void BackupChooser::addFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    if (isBackupFolder(folder)) {
        choose(folder);
        return;
    }
    const int before = m_list->topLevelItemCount();
    QTreeWidgetItem* first = addBackups({folder});
    if (!first && m_list->topLevelItemCount() == before) {
        // Nothing that looks like a backup below it: the window tells why
        // this folder cannot be opened.
        choose(folder);
        return;
    }
    if (first) {
        m_list->setCurrentItem(first);
        m_list->scrollToItem(first);
    }
    updateState();
}

QTreeWidgetItem* BackupChooser::addBackups(const QStringList& roots)
{
    QStringList errors;
    const QVector<phonebackup::BackupInfo> found = phonebackup::findPhoneBackups(roots, &errors);
    QTreeWidgetItem* first = nullptr;
    for (const phonebackup::BackupInfo& info : found) {
        QTreeWidgetItem* item = addBackup(info);
        if (!first)
            first = item;
    }
    for (const QString& error : errors)
        addDamaged(error);
    return first;
}

QTreeWidgetItem* BackupChooser::addBackup(const phonebackup::BackupInfo& info)
{
    const QString folder = sameFolder(info.folder);
    // Choosing a folder twice, or one below a root already listed, shows
    // each backup once.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->data(DeviceColumn, kFolderRole).toString() == folder)
            return item;
    }
    auto* item = new QTreeWidgetItem(m_list);
    item->setData(DeviceColumn, kFolderRole, folder);
    item->setText(DeviceColumn, info.deviceName.isEmpty() ? info.identifier : info.deviceName);
    item->setText(VersionColumn, info.productVersion.isEmpty() ? QString() : tr("iOS %1").arg(info.productVersion));
    item->setText(DateColumn, backupDateText(info.lastBackupDate));
    QStringList state;
    if (info.encrypted) {
        state << tr("Encrypted");
        item->setIcon(StateColumn, lockIcon());
    }
    if (!info.finished || phonebackup::listsMissingFiles(info))
        state << tr("incomplete");
    item->setText(StateColumn, state.join(QStringLiteral(", ")));
    item->setToolTip(DeviceColumn, QDir::toNativeSeparators(info.folder));
    item->setSizeHint(DeviceColumn, QSize(0, rowHeight()));
    return item;
}

void BackupChooser::addDamaged(const QString& error)
{
    auto* item = new QTreeWidgetItem(m_list);
    item->setText(DeviceColumn, tr("Damaged backup: %1").arg(error));
    item->setToolTip(DeviceColumn, error);
    item->setFlags(Qt::NoItemFlags);
    item->setFirstColumnSpanned(true);
    item->setSizeHint(DeviceColumn, QSize(0, rowHeight()));
}

int BackupChooser::rowHeight() const
{
    // Airier rows than a plain list's: the rows are few and meant to be read.
    return m_list->fontMetrics().height() + 10;
}

void BackupChooser::chooseFolder()
{
    // Qt's own dialog on every desktop, so it looks alike everywhere and can be driven in tests.
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Choose a phone backup folder"), QDir::homePath(),
                                          QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    addFolder(folder);
}

void BackupChooser::openSelected()
{
    QTreeWidgetItem* item = m_list->currentItem();
    if (item && item->isSelected() && (item->flags() & Qt::ItemIsSelectable))
        choose(item->data(DeviceColumn, kFolderRole).toString());
}

void BackupChooser::choose(const QString& folder)
{
    m_chosen = folder;
    accept();
}

void BackupChooser::updateState()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    m_open->setEnabled(!selected.isEmpty() && (selected.first()->flags() & Qt::ItemIsSelectable));
    bool any = false;
    for (int i = 0; i < m_list->topLevelItemCount() && !any; ++i)
        any = m_list->topLevelItem(i)->flags().testFlag(Qt::ItemIsSelectable);
    m_list->setVisible(m_list->topLevelItemCount() > 0);
    m_empty->setVisible(!any);
}

void BackupChooser::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

void BackupChooser::retranslate()
{
    m_heading->setText(tr("Choose the phone backup to open:"));
    m_list->setHeaderLabels({tr("Phone"), tr("Version"), tr("Backed up"), tr("State")});
    m_empty->setText(tr("No phone backup was found in the usual places. Choose a folder that holds one."));
    m_chooseFolder->setText(tr("Choose folder…"));
    m_open->setText(tr("Open"));
    m_cancel->setText(tr("Cancel"));
}
