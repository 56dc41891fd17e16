#pragma once

// A source the command line reads: a ".sms" backup file or a phone's message
// database, with the contacts that name its conversations. A source is only
// ever read: the file is opened read-only and immutable.

#include "ContactStore.h"
#include "MessageStore.h"

#include <QString>

#include <memory>

struct CliSource
{
    std::unique_ptr<MessageStore> messages;
    std::unique_ptr<ContactStore> contacts;
    QString error; // one line for the user; empty when the source was read
};

// Reads `path`; `contactsPath`, when not empty, names a phone address book
// whose names are used instead of those a backup file carries.
CliSource openCliSource(const QString& path, const QString& contactsPath);
