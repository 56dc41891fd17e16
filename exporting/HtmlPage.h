#pragma once

// The pieces every page of an html export is made of: escaping, the text of
// a message as markup, relative links to copied files, and the page's head
// with its style. A page loads nothing from the network and runs no script
// (its Content-Security-Policy forbids both); it reads well on a narrow
// window and on paper.

#include <QByteArray>
#include <QString>

namespace exporting::html {

// text with & < > " ' replaced by their entities: safe in an element and in
// a quoted attribute.
QString escaped(const QString& text);

// A message's text as shown in a bubble: escaped, each line break (CR LF,
// LF or CR) a <br>, and the object replacement characters that stand where
// the attachments are left out.
QString messageText(const QString& text);

// A relative URL to fileName inside the subfolder folder: every byte but the
// unreserved ones percent-encoded, so that no name becomes a path, a query or
// a fragment.
QString relativeUrl(const QString& folder, const QString& fileName);

// The language tag of the pages' own texts ("en", "de-AT").
QString languageTag();

// "<!DOCTYPE html>" up to and including "<body>": charset, policy, viewport,
// title and the inline style sheet.
QByteArray pageStart(const QString& title);
QByteArray pageEnd();

} // namespace exporting::html
