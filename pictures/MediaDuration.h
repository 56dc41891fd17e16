#pragma once

// How long a voice message plays, read from its file's headers: Core Audio
// files ("caff": the stream description and the packet table, or the size
// of a constant-rate data chunk), MPEG-4 audio and video (the movie header
// "mvhd": time scale and duration) and AMR (narrow and wide band: 20 ms a
// frame, each frame's size from its header byte). The files come from the
// phone and are not trusted: the parser reads headers only (a bounded
// number of them, a few bytes each), AMR frame headers up to a bound, and
// never allocates by what a file claims. What it cannot tell is unknown.

#include <QString>

class QIODevice;

namespace pictures {

// The duration in milliseconds of the media on a random-access device
// (a file or a buffer, positioned anywhere); -1 when unknown.
qint64 mediaDurationMs(QIODevice* device);
qint64 mediaDurationMs(const QString& path);

// "0:07", "12:45", "1:02:03": a duration as a voice tile shows it; empty
// for unknown (negative) durations. Seconds are rounded to the nearest.
QString durationText(qint64 ms);

// Longest AMR file whose frames are counted; longer ones are unknown.
constexpr qint64 kAmrCountLimit = 8 * 1024 * 1024;

} // namespace pictures
