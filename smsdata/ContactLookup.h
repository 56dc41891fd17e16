#pragma once

// Finds the contact a message address belongs to. Built once per name fill
// over the contacts of one source, then asked once per distinct address.
//
// Two rules, in this order:
//  - the legacy rule (sources of the old layout only): the first contact
//    whose matching number agrees with the address in its last 11 bytes;
//  - numbers as numbers: a phone address and a contact's phone value are the
//    same number when libphonenumber says so ("(209) 598-1933" in the book,
//    "+12095981933" in a handle); an e-mail address is the same as an e-mail
//    value in any letter case.
// Of several contacts that match, the first in the book's order that has a
// name (last, first or organisation) wins: a person without one never hides
// a named person of the same number.

#include "MessageRecord.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QVector>

#include <memory>

class ContactLookup
{
public:
    enum class Rules {
        LegacyFirst, // the last-11-bytes rule decides whenever it finds someone
        NumbersOnly,
    };

    // Indexes contacts (keeping no reference to them). defaultRegion is the
    // ISO 3166 code ("US", case ignored) under which a national number is
    // read when the handle's country is unknown; empty for unknown.
    explicit ContactLookup(const QVector<ContactRecord>& contacts, Rules rules,
                           const QByteArray& defaultRegion = systemRegion());
    ~ContactLookup();

    ContactLookup(const ContactLookup&) = delete;
    ContactLookup& operator=(const ContactLookup&) = delete;

    // Index into contacts, or -1. region: the handle's country as the message
    // file records it ("us"); empty falls back to the default region.
    int find(const QByteArray& address, const QByteArray& region = {});

    // Country of the default locale ("CN"), empty when it names none.
    static QByteArray systemRegion();

    // Tells, before a book is read, which of its values could match one of
    // a few addresses by either rule: a contact none of whose values (nor
    // its matching number) passes can be left out of a lookup of those
    // addresses without changing what it finds.
    class Prefilter
    {
    public:
        explicit Prefilter(const QVector<QByteArray>& addresses);
        bool passes(const ContactValue& value) const;
        // The legacy rule's matching number (the first value, dashes removed).
        bool passesNumber(const QByteArray& number) const;

    private:
        QSet<quint64> m_buckets;
        QSet<QByteArray> m_lastElevenBytes;
        QSet<QByteArray> m_emails;
    };

private:
    int findByLastElevenBytes(const QByteArray& address) const;
    int findByEmail(const QByteArray& address) const;
    int findByNumber(const QByteArray& address, const QByteArray& handleCountry);

    struct Numbers;
    const Rules m_rules;
    QVector<bool> m_named; // by contact index
    QHash<QByteArray, int> m_byLastElevenBytes;
    QHash<QByteArray, int> m_byEmail;
    std::unique_ptr<Numbers> m_numbers;
};

// True when the contact has a last name, a first name or an organisation.
bool hasName(const ContactRecord& contact);

// The name a contact is shown by: last name, one blank and first name; the
// organisation for a contact that has neither.
QByteArray contactDisplayName(const ContactRecord& contact);
