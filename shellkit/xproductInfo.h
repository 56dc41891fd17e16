#pragma once

// Product information of the running program: the record filled at start-up,
// the main window and the icon file. One process-wide instance, set by the
// entry routine through m_instance.

#include <QPointer>
#include <QString>
#include <QWidget>

struct _AppInfo
{
    QString companyName;
    QString studioName;
    QString homePageUrl;
    QString brandName;
    QString appFullName;
    QString appName;
    QString appCode;
    QString appPageUrl;
    QString buyPageUrl;
    QString supportPageUrl;
    QString supportMail;
    QString salesMail;
    QString legalNotice;
    QString version;
    QString updateInfoUrl;
    QString helpFile;
};

class xproductInfo
{
public:
    static xproductInfo* m_instance;

    xproductInfo() = default;
    ~xproductInfo();
    xproductInfo(const xproductInfo&) = delete;
    xproductInfo& operator=(const xproductInfo&) = delete;

    void setCurAppInfo(_AppInfo info);
    const _AppInfo& curAppInfo() const { return m_info; }

    void setMainWindow(QWidget* window);
    QWidget* mainWindow() const { return m_mainWindow; }

    // The product's display name: the application name, falling back to the
    // full name and then the brand when a record leaves it empty.
    QString productName() const;

    void setIconFile(const QString& file) { m_iconFile = file; }
    QString iconFile() const { return m_iconFile; }

private:
    _AppInfo m_info;
    QPointer<QWidget> m_mainWindow;
    QString m_iconFile;
};
