#pragma once

// Writes a ".sms" backup of a phone's databases (the phone's fresh backup
// or a phone backup folder on display) into the backup folder, named after
// the current local time.

#include <QString>

class ContactStore;
struct SourceRequest;

class SmsFileWriter
{
public:
    // Copies source's message database (with its write-ahead log) into a new
    // file of folder, with the contacts of source's address book, read
    // into contacts first (when there is a store). Returns the new file's
    // path; empty when nothing was written, and no half-made file is left.
    static QString write(const QString& folder, const SourceRequest& source, ContactStore* contacts);
};
