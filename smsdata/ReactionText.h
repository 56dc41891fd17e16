#pragma once

// How reactions ("tapbacks") show beside a message: in the chat page's
// badges and in the exports.

#include "MessageStore.h"

#include <QString>
#include <QVector>

namespace reactiontext {

// The emoji shown for a reaction kind (2000 love ... 2005 question), or
// custom when the phone names one; empty for kinds that show nothing.
QString emoji(int kind, const QString& custom);

// The reactions to one message as one badge: each emoji once, with its
// count when more than one person chose it ("❤️ 2  👍").
QString badge(const QVector<Reaction>& reactions);

} // namespace reactiontext
