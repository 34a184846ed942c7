#pragma once
// The simulator's readable event log, on standard error, one line per event.
// Text that came from a peer goes through peerText() first, so that a peer
// can neither break a line nor fill the log with one.

#include <QByteArray>
#include <QString>

#include <string>

class SimLog
{
public:
    static constexpr int kMaxPeerText = 120;

    // Where lines go instead of standard error; a test's collector, say.
    using Sink = void (*)(bool error, const QString &line);

    static void info(const QString &line);
    static void error(const QString &line);
    // Returns the sink before; nullptr restores standard error.
    static Sink setSink(Sink sink);
    // The bytes quoted, control and non-ASCII bytes as \xNN, cut after
    // `max` bytes with the full length noted.
    static QString peerText(const QByteArray &bytes, int max = kMaxPeerText);
    static QString peerText(const std::string &bytes, int max = kMaxPeerText);
};
