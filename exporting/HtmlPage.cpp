#include "HtmlPage.h"

#include <QLocale>
#include <QUrl>

namespace exporting::html {

namespace {

// The chat page's colours: grey bubbles on the left, blue ones on the
// right, a white badge with the reactions hanging from the bubble's edge,
// and one ink per group sender. System fonts only; nothing is fetched.
const char kStyle[] = R"css(
:root { color-scheme: light; }
* { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body { margin: 0; background: #eef0f3; color: #1f2329;
  font: 15px/1.4 system-ui, -apple-system, "Segoe UI", Roboto, "Noto Sans", "Noto Sans CJK SC", "Helvetica Neue",
    Arial, sans-serif, "Noto Color Emoji", "Apple Color Emoji", "Segoe UI Emoji"; }
main { max-width: 820px; margin: 0 auto; padding: 20px 24px 40px; background: #fff; min-height: 100vh; }
header { border-bottom: 1px solid #e3e6ea; padding-bottom: 12px; margin-bottom: 8px; }
h1 { font-size: 22px; margin: 6px 0 2px; overflow-wrap: anywhere; }
.sub { color: #6b7280; font-size: 13px; margin: 0; overflow-wrap: anywhere; }
a.back { color: #1a73e8; text-decoration: none; font-size: 13px; }
a.back:hover { text-decoration: underline; }
.day { text-align: center; margin: 20px 0 10px; }
.day span { display: inline-block; background: #f1f3f5; color: #5f6670; font-size: 12px; font-weight: 600;
  padding: 3px 12px; border-radius: 999px; }
.msg { display: flex; flex-direction: column; margin: 3px 0; }
.msg.in { align-items: flex-start; }
.msg.out { align-items: flex-end; }
.wrap { display: flex; flex-direction: column; max-width: 72%; min-width: 0; }
.in .wrap { align-items: flex-start; }
.out .wrap { align-items: flex-end; }
.bubble { padding: 7px 11px; border-radius: 12px; min-width: 24px; max-width: 100%; overflow-wrap: anywhere; }
.in .bubble { background: #e9e9eb; color: #1f2329; }
.out .bubble { background: #1a73e8; color: #fff; }
.text { white-space: pre-wrap; }
.unsent .bubble { background: transparent; color: #8a919c; border: 1px dashed #8a919c; font-style: italic; }
.who { font-size: 12.5px; font-weight: 600; margin-bottom: 2px; }
.tone0 { color: #c2410c; } .tone1 { color: #0e7490; } .tone2 { color: #7c3aed; }
.tone3 { color: #be185d; } .tone4 { color: #15803d; } .tone5 { color: #1d4ed8; }
.edited { font-size: 11px; text-align: right; margin-top: 2px; color: #8a919c; }
.out .edited { color: rgba(255, 255, 255, 0.75); }
.unsent .edited { color: #8a919c; }
.react { position: relative; margin: -6px 12px 0; background: #fff; border: 1px solid #d7dbe0; border-radius: 999px;
  padding: 1px 7px; font-size: 14px; line-height: 1.35; white-space: nowrap; }
.in .react { align-self: flex-end; }
.out .react { align-self: flex-start; }
.react .n { font-size: 11px; color: #5f6670; margin-left: 2px; }
.react .p + .p { margin-left: 6px; }
.time { font-size: 11px; color: #8a919c; margin: 1px 12px 4px; }
.att { display: block; margin: 4px 0; }
.att:first-child { margin-top: 0; }
.att:last-child { margin-bottom: 0; }
.att img { display: block; max-width: 100%; height: auto; object-fit: contain; border-radius: 8px;
  background: #dde0e4; }
.file { display: block; padding: 7px 10px; border-radius: 8px; background: #fff; color: #1f2329; font-size: 13px;
  text-decoration: none; overflow-wrap: anywhere; }
.out .file { background: #d9ecff; }
a.file { color: #1a56c4; }
a.file:hover { text-decoration: underline; }
.file .size { color: #6b7280; margin-left: 6px; }
.file.missing { color: #6b7280; font-style: italic; background: rgba(255, 255, 255, 0.55); }
.list { list-style: none; margin: 0; padding: 0; }
.list li { border-bottom: 1px solid #eceef1; }
.list a { display: grid; grid-template-columns: 1fr auto; gap: 2px 16px; padding: 10px 4px; color: inherit;
  text-decoration: none; }
.list a:hover { background: #f6f8fa; }
.list .name { font-weight: 600; overflow-wrap: anywhere; }
.list .key { color: #6b7280; font-size: 13px; overflow-wrap: anywhere; }
.list .latest, .list .count { color: #6b7280; font-size: 13px; text-align: right; white-space: nowrap; }
@media (max-width: 600px) {
  main { padding: 12px 10px 24px; }
  .wrap { max-width: 86%; }
  .list a { grid-template-columns: 1fr; }
  .list .latest, .list .count { text-align: left; }
}
@media print {
  body { background: #fff; font-size: 11pt; }
  main { max-width: none; padding: 0; min-height: 0; }
  a.back { display: none; }
  .msg, .list li { break-inside: avoid; page-break-inside: avoid; }
  .day { break-after: avoid; page-break-after: avoid; }
  .bubble, .react, .day span, .file { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)css";

// Scripts, plug-ins, frames and anything from elsewhere are refused; only
// the inline style and the files of the export itself load.
const char kPolicy[] = "default-src 'none'; img-src 'self' file:; media-src 'self' file:; "
                       "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'";

// The five characters that HTML would read as markup, as references.
void appendEscaped(QString& out, QChar c)
{
    switch (c.unicode()) {
    case '&':
        out += QLatin1String("&amp;");
        break;
    case '<':
        out += QLatin1String("&lt;");
        break;
    case '>':
        out += QLatin1String("&gt;");
        break;
    case '"':
        out += QLatin1String("&quot;");
        break;
    case '\'':
        out += QLatin1String("&#39;");
        break;
    default:
        out += c;
    }
}

} // namespace

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text)
        appendEscaped(out, c);
    return out;
}

QString messageText(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case 0xfffc:
            break;
        case '\r':
            if (i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("<br>");
            break;
        case '\n':
            out += QLatin1String("<br>");
            break;
        default:
            appendEscaped(out, c);
        }
    }
    return out;
}

QString relativeUrl(const QString& folder, const QString& fileName)
{
    return folder + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(fileName));
}

QString languageTag()
{
    const QString tag = QLocale().bcp47Name();
    return tag.isEmpty() || tag == QLatin1String("C") ? QStringLiteral("en") : tag;
}

QByteArray pageStart(const QString& title)
{
    QByteArray out;
    out += "<!DOCTYPE html>\n<html lang=\"" + escaped(languageTag()).toUtf8() + "\">\n<head>\n";
    out += "<meta charset=\"utf-8\">\n";
    out += QByteArray("<meta http-equiv=\"Content-Security-Policy\" content=\"") + kPolicy + "\">\n";
    out += "<meta name=\"referrer\" content=\"no-referrer\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<title>" + escaped(title).toUtf8() + "</title>\n";
    out += QByteArray("<style>") + kStyle + "</style>\n</head>\n<body>\n<main>\n";
    return out;
}

QByteArray pageEnd()
{
    return QByteArrayLiteral("</main>\n</body>\n</html>\n");
}

} // namespace exporting::html
