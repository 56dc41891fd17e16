#include "xproductInfo.h"

xproductInfo* xproductInfo::m_instance = nullptr;

xproductInfo::~xproductInfo()
{
    if (m_instance == this)
        m_instance = nullptr;
}

void xproductInfo::setCurAppInfo(_AppInfo info)
{
    m_info = std::move(info);
}

void xproductInfo::setMainWindow(QWidget* window)
{
    m_mainWindow = window;
}

QString xproductInfo::productName() const
{
    if (!m_info.appName.isEmpty())
        return m_info.appName;
    if (!m_info.appFullName.isEmpty())
        return m_info.appFullName;
    return m_info.brandName;
}
