#pragma once

// The phone's schema statements built into the program: one file of this
// folder by its name ("modern-sms-ios13.sql"), for phonedb::loadSchema.

#include <QByteArray>
#include <QString>

namespace phoneschemas {

// Empty when no schema has that name.
QByteArray statements(const QString& fileName);

} // namespace phoneschemas
