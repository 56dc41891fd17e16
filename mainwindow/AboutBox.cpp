#include "AboutBox.h"

#include "xproductInfo.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace {

struct AboutBox
{
    Q_DECLARE_TR_FUNCTIONS(AboutBox)
};

QString productName()
{
    return xproductInfo::m_instance ? xproductInfo::m_instance->productName() : QStringLiteral("msgdesk");
}

} // namespace

QString aboutText()
{
    _AppInfo info;
    if (xproductInfo::m_instance)
        info = xproductInfo::m_instance->curAppInfo();
    QString text = QStringLiteral("<h3>%1</h3>").arg(productName().toHtmlEscaped());
    text += QStringLiteral("<p>") + AboutBox::tr("Version %1").arg(QStringLiteral(MSGDESK_VERSION)) +
            QStringLiteral("</p>");
    text += QStringLiteral("<p>") +
            AboutBox::tr("The text messages of an iPhone: read from the phone or its backups, "
                         "backed up, browsed and exported.") +
            QStringLiteral("</p>");
    if (!info.homePageUrl.isEmpty())
        text += QStringLiteral("<p><a href=\"%1\">%1</a></p>").arg(info.homePageUrl.toHtmlEscaped());
    if (!info.legalNotice.isEmpty())
        text += QStringLiteral("<p>%1</p>").arg(info.legalNotice.toHtmlEscaped());
    return text;
}

void addHelpMenu(QWidget* window, QMenuBar* menuBar)
{
    QMenu* help = menuBar->addMenu(AboutBox::tr("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    QAction* about = help->addAction(AboutBox::tr("&About %1").arg(productName()));
    about->setObjectName(QStringLiteral("actionAbout"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, window, [window] {
        QMessageBox::about(window, AboutBox::tr("About %1").arg(productName()), aboutText());
    });
}
