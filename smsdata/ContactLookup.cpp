#include "ContactLookup.h"

#include <QLocale>
#include <QString>

#include <cctype>
#include <optional>
#include <string>

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

// Book values are filed under their last few digits; a handle's digits find
// the few values that may be the same number, and libphonenumber decides.
// Five digits keep the numbers of small countries (five- and six-digit
// national numbers) in reach and the buckets small.
constexpr int keyDigits = 5;

bool isEmailAddress(const QByteArray& address)
{
    return address.contains('@');
}

// The decimal digits a value dials, up to where an extension or a pause
// begins ("209-598-1933 x12", "…;ext=12"), so that such a value is filed
// under the number itself. Digits of other scripts count by their value.
QByteArray dialledDigits(const QString& text)
{
    QByteArray digits;
    digits.reserve(text.size());
    for (const QChar c : text) {
        if (c.isLetter() || c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char('#'))
            break;
        if (c.isDigit())
            digits += char('0' + c.digitValue());
    }
    return digits;
}

// Digits of an address that can be a phone number: none for e-mail
// addresses and alphanumeric senders ("telma", "BANK24"), which must never
// be read as the digits a phone keypad puts under their letters.
QByteArray addressDigits(const QByteArray& address)
{
    if (isEmailAddress(address))
        return {};
    const QString text = QString::fromUtf8(address);
    for (const QChar c : text) {
        if (c.isLetter())
            return {};
    }
    return dialledDigits(text);
}

// The bucket of a digit string: its last keyDigits digits, and how many
// there were, so that "086" and "0086" stay apart.
quint64 bucketKey(const QByteArray& digits)
{
    const QByteArray tail = digits.right(keyDigits);
    return (quint64(tail.size()) << 32) | tail.toULongLong();
}

QByteArray emailKey(const QByteArray& value)
{
    return QString::fromUtf8(value).trimmed().toCaseFolded().toUtf8();
}

// "us" -> "US"; anything that is not two letters is no region at all.
std::string regionCode(const QByteArray& region)
{
    const QByteArray upper = region.trimmed().toUpper();
    if (upper.size() != 2 || !std::isupper(uchar(upper.at(0))) || !std::isupper(uchar(upper.at(1))))
        return "ZZ";
    return upper.toStdString();
}

bool isSameNumber(PhoneNumberUtil::MatchType match)
{
    // A SHORT_NSN_MATCH ("10086" inside "138 0001 0086", a number without its
    // area code) names two different lines far too often to give a name.
    return match == PhoneNumberUtil::EXACT_MATCH || match == PhoneNumberUtil::NSN_MATCH;
}

// A book number with an extension ("x12") dials the same line as the
// handle without one; libphonenumber calls that a short match only.
PhoneNumberUtil::MatchType matchIgnoringExtensions(const PhoneNumberUtil& util, const PhoneNumber& a,
                                                   const PhoneNumber& b)
{
    const PhoneNumberUtil::MatchType match = util.IsNumberMatch(a, b);
    if (match == PhoneNumberUtil::SHORT_NSN_MATCH && a.has_extension() != b.has_extension() &&
        a.country_code() == b.country_code() && a.national_number() == b.national_number() &&
        a.italian_leading_zero() == b.italian_leading_zero() &&
        a.number_of_leading_zeros() == b.number_of_leading_zeros())
        return PhoneNumberUtil::NSN_MATCH;
    return match;
}

} // namespace

struct ContactLookup::Numbers
{
    struct Candidate
    {
        int contact = -1;
        std::string value;
    };

    // Candidate i read as a number, a national one as a number of region;
    // each value is read once per region it is asked in.
    const PhoneNumber* parsed(int i, const std::string& region)
    {
        const quint64 key = (quint64(i) << 16) | regionIndex(region);
        auto it = cache.find(key);
        if (it == cache.end()) {
            PhoneNumber number;
            std::optional<PhoneNumber> result;
            if (util->Parse(candidates.at(i).value, region, &number) == PhoneNumberUtil::NO_PARSING_ERROR)
                result = number;
            it = cache.insert(key, result);
        }
        return it->has_value() ? &it->value() : nullptr;
    }

    static quint64 regionIndex(const std::string& region)
    {
        if (region.size() != 2 || !std::isupper(uchar(region[0])) || !std::isupper(uchar(region[1])))
            return 26 * 26;
        return quint64(region[0] - 'A') * 26 + quint64(region[1] - 'A');
    }

    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    std::string defaultRegion;
    QVector<Candidate> candidates;
    QHash<quint64, QVector<int>> byKey; // candidate indices, in the book's order
    QHash<quint64, std::optional<PhoneNumber>> cache;
};

ContactLookup::ContactLookup(const QVector<ContactRecord>& contacts, Rules rules, const QByteArray& defaultRegion)
    : m_rules(rules), m_numbers(std::make_unique<Numbers>())
{
    m_numbers->defaultRegion = regionCode(defaultRegion);
    m_named.reserve(contacts.size());
    for (const ContactRecord& contact : contacts)
        m_named.append(hasName(contact));
    // A key keeps the first contact with a name; a nameless one holds it
    // only until a named contact of the same key comes.
    const auto keep = [this](QHash<QByteArray, int>& index, const QByteArray& key, int i) {
        if (key.isEmpty())
            return;
        const auto known = index.find(key);
        if (known == index.end())
            index.insert(key, i);
        else if (!m_named.at(known.value()) && m_named.at(i))
            known.value() = i;
    };
    for (int i = 0; i < contacts.size(); ++i) {
        const ContactRecord& contact = contacts.at(i);
        if (rules == Rules::LegacyFirst)
            keep(m_byLastElevenBytes, contact.number.right(11), i);

        // A record made without values (by hand, or by an older reader)
        // is still found by its number.
        QVector<ContactValue> values = contact.values;
        if (values.isEmpty() && !contact.number.isEmpty())
            values.append({isEmailAddress(contact.number) ? ContactValue::Email : ContactValue::Phone, contact.number});

        for (const ContactValue& value : std::as_const(values)) {
            if (value.kind == ContactValue::Email) {
                keep(m_byEmail, emailKey(value.value), i);
            } else if (value.kind == ContactValue::Phone) {
                const QByteArray digits = dialledDigits(QString::fromUtf8(value.value));
                if (digits.isEmpty())
                    continue;
                m_numbers->byKey[bucketKey(digits)].append(int(m_numbers->candidates.size()));
                m_numbers->candidates.append({i, value.value.toStdString()});
            }
        }
    }
}

ContactLookup::~ContactLookup() = default;

int ContactLookup::find(const QByteArray& address, const QByteArray& region)
{
    if (address.isEmpty())
        return -1;
    // Two e-mail addresses of one domain agree in their last 11 bytes
    // ("example.org") and are still two people: e-mail addresses are
    // matched whole, by every source.
    if (isEmailAddress(address))
        return findByEmail(address);
    int found = -1;
    if (m_rules == Rules::LegacyFirst) {
        found = findByLastElevenBytes(address);
        if (found >= 0 && m_named.at(found))
            return found;
    }
    // A nameless contact found by the old rule gives way to a named one
    // that is the same number.
    const int byNumber = findByNumber(address, region);
    if (found < 0 || (byNumber >= 0 && m_named.at(byNumber)))
        return byNumber;
    return found;
}

int ContactLookup::findByLastElevenBytes(const QByteArray& address) const
{
    return m_byLastElevenBytes.value(address.right(11), -1);
}

int ContactLookup::findByEmail(const QByteArray& address) const
{
    return m_byEmail.value(emailKey(address), -1);
}

int ContactLookup::findByNumber(const QByteArray& address, const QByteArray& handleCountry)
{
    const QByteArray digits = addressDigits(address);
    if (digits.isEmpty())
        return -1;
    const auto bucket = m_numbers->byKey.constFind(bucketKey(digits));
    if (bucket == m_numbers->byKey.constEnd())
        return -1;

    const PhoneNumberUtil* util = m_numbers->util;
    const std::string text = address.toStdString();
    // The first same number of a contact with a name wins; a nameless
    // contact is the answer only when nobody else has the number.
    int firstNameless = -1;
    // The handle's country is where the phone's owner lives, and so where
    // the book's national numbers belong; without it, the locale's.
    std::string region = regionCode(handleCountry);
    if (region == "ZZ")
        region = m_numbers->defaultRegion;
    PhoneNumber number;
    const bool parsed = util->Parse(text, region, &number) == PhoneNumberUtil::NO_PARSING_ERROR;
    // Knowing neither, a national book number is read in the country of the
    // number it is compared with, as libphonenumber's own match does.
    if (parsed && region == "ZZ")
        util->GetRegionCodeForCountryCode(number.country_code(), &region);

    for (const int i : bucket.value()) {
        PhoneNumberUtil::MatchType match = PhoneNumberUtil::INVALID_NUMBER;
        if (parsed) {
            if (const PhoneNumber* value = m_numbers->parsed(i, region))
                match = matchIgnoringExtensions(*util, number, *value);
        } else {
            // A national number with no region to read it in: libphonenumber
            // still compares it with a value that carries its country, or
            // digit for digit with one that does not.
            match = util->IsNumberMatchWithTwoStrings(text, m_numbers->candidates.at(i).value);
        }
        if (!isSameNumber(match))
            continue;
        const int contact = m_numbers->candidates.at(i).contact;
        if (m_named.at(contact))
            return contact;
        if (firstNameless < 0)
            firstNameless = contact;
    }
    return firstNameless;
}

ContactLookup::Prefilter::Prefilter(const QVector<QByteArray>& addresses)
{
    for (const QByteArray& address : addresses) {
        if (address.isEmpty())
            continue;
        m_lastElevenBytes.insert(address.right(11));
        if (isEmailAddress(address)) {
            m_emails.insert(emailKey(address));
            continue;
        }
        const QByteArray digits = addressDigits(address);
        if (!digits.isEmpty())
            m_buckets.insert(bucketKey(digits));
    }
}

bool ContactLookup::Prefilter::passes(const ContactValue& value) const
{
    if (value.kind == ContactValue::Email || (value.kind != ContactValue::Phone && isEmailAddress(value.value)))
        return m_emails.contains(emailKey(value.value));
    const QByteArray digits = dialledDigits(QString::fromUtf8(value.value));
    return !digits.isEmpty() && m_buckets.contains(bucketKey(digits));
}

bool ContactLookup::Prefilter::passesNumber(const QByteArray& number) const
{
    return !number.isEmpty() && m_lastElevenBytes.contains(number.right(11));
}

QByteArray ContactLookup::systemRegion()
{
    const QString code = QLocale::territoryToCode(QLocale().territory());
    if (code.size() != 2 || code == QLatin1String("ZZ"))
        return {};
    return code.toLatin1();
}

bool hasName(const ContactRecord& contact)
{
    // A name of spaces only is no name.
    return !contact.firstName.trimmed().isEmpty() || !contact.lastName.trimmed().isEmpty() ||
           !contact.organization.trimmed().isEmpty();
}

QByteArray contactDisplayName(const ContactRecord& contact)
{
    if (contact.firstName.isEmpty() && contact.lastName.isEmpty() && !contact.organization.isEmpty())
        return contact.organization;
    return contact.lastName + ' ' + contact.firstName;
}
