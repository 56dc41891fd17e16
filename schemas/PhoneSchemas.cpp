#include "PhoneSchemas.h"

#include <QFile>

namespace phoneschemas {

QByteArray statements(const QString& fileName)
{
    if (fileName.contains(QLatin1Char('/')))
        return {};
    QFile file(QStringLiteral(":/schemas/") + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace phoneschemas
