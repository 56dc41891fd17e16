#include "ExportOptions.h"

namespace exporting {

namespace {

struct FormatFacts
{
    Format format;
    const char* name;
    const char* extension;
};

constexpr FormatFacts kFormats[] = {
    {Format::Txt, "txt", ".txt"}, {Format::Html, "html", ""},       {Format::Pdf, "pdf", ".pdf"},
    {Format::Csv, "csv", ".csv"}, {Format::Json, "json", ".jsonl"},
};

const FormatFacts& factsOf(Format format)
{
    for (const FormatFacts& facts : kFormats) {
        if (facts.format == format)
            return facts;
    }
    return kFormats[0];
}

} // namespace

QString formatName(Format format)
{
    return QString::fromLatin1(factsOf(format).name);
}

std::optional<Format> formatFromName(const QString& name)
{
    for (const FormatFacts& facts : kFormats) {
        if (name.compare(QLatin1String(facts.name), Qt::CaseInsensitive) == 0)
            return facts.format;
    }
    return std::nullopt;
}

QStringList formatNames()
{
    QStringList names;
    for (const FormatFacts& facts : kFormats)
        names.append(QString::fromLatin1(facts.name));
    return names;
}

QString extension(Format format)
{
    return QString::fromLatin1(factsOf(format).extension);
}

bool writesFolder(Format format)
{
    return format == Format::Html;
}

bool carriesAttachments(Format format)
{
    return format == Format::Html || format == Format::Pdf;
}

} // namespace exporting
