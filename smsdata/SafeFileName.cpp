#include "SafeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace safename {

namespace {

constexpr int kMaxExtensionChars = 16;
constexpr int kMaxNumberedTries = 10000;

bool isUnsafe(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control: // NUL, other C0 and C1 controls
    case QChar::Other_Format:  // direction overrides and other invisible marks
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    // Separators and the characters other systems refuse in names.
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    return refused.contains(c);
}

// Cuts s to at most maxBytes of UTF-8 without splitting a character.
QString cutToBytes(const QString& s, int maxBytes)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        const bool pair = s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(s.at(i), s.at(i + 1)) : s.at(i).unicode();
        const int width = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += pair ? 2 : 1;
    }
    return s.left(i);
}

QString cleaned(const QString& name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, name.at(i + 1));
            const QChar::Category category = QChar::category(code);
            if (category == QChar::Other_NotAssigned || category == QChar::Other_Format ||
                category == QChar::Other_PrivateUse) {
                out += QLatin1Char('_');
            } else {
                out += c;
                out += name.at(i + 1);
            }
            ++i;
            continue;
        }
        out += isUnsafe(c) ? QLatin1Char('_') : c;
    }
    out = out.trimmed();
    // A leading dot would hide the file (and "." or ".." name folders);
    // trailing dots and spaces are dropped by some systems.
    while (out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('.')) || out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    out = out.trimmed();

    // Over-long names keep their extension and lose the end of the rest.
    if (out.toUtf8().size() > kMaxNameBytes) {
        const qsizetype dot = out.lastIndexOf(QLatin1Char('.'));
        QString extension;
        if (dot > 0 && out.size() - dot - 1 <= kMaxExtensionChars)
            extension = out.mid(dot);
        const QString base = extension.isEmpty() ? out : out.left(dot);
        const int room = kMaxNameBytes - int(extension.toUtf8().size());
        out = cutToBytes(base, room).trimmed() + extension;
    }
    return out;
}

} // namespace

QString safeFileName(const QString& name, const QString& fallback)
{
    QString out = cleaned(name);
    // Only the extension left (".jpg" became "jpg") still names a file; an
    // empty name or one of underscores alone says nothing.
    bool meaningful = false;
    for (QChar c : std::as_const(out)) {
        if (c != QLatin1Char('_') && !c.isSpace()) {
            meaningful = true;
            break;
        }
    }
    if (meaningful)
        return out;
    const QString safeFallback = cleaned(fallback);
    return safeFallback.isEmpty() ? QStringLiteral("attachment") : safeFallback;
}

QString numberedName(const QString& safeName, int n)
{
    if (n <= 0)
        return safeName;
    const QString number = QStringLiteral(" (%1)").arg(n);
    const qsizetype dot = safeName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return safeName + number;
    return safeName.left(dot) + number + safeName.mid(dot);
}

QString createUniqueFile(const QString& folder, const QString& name, QFile* file)
{
    const QString safe = safeFileName(name);
    const QDir dir(folder);
    for (int n = 0; n < kMaxNumberedTries; ++n) {
        const QString path = dir.filePath(numberedName(safe, n));
        file->setFileName(path);
        // NewOnly fails when the name exists, whatever it is (a file, a
        // folder, a link), so nothing is ever replaced.
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return {};
    }
    return {};
}

} // namespace safename
