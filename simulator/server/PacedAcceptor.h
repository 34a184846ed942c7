#pragma once
// Accepts connections on a listening QTcpServer's socket by itself, a
// bounded number each turn of the event loop, and pauses for a moment when
// descriptors run out.
//
// QTcpServer either stops accepting for good or retries at full speed when
// accept() runs out of descriptors (Qt 5.15 does not even report the error
// for every listener), spinning the thread that serves every session. A
// shortage usually passes (sessions end, the flood stops), so accepting
// waits kRetryMs and tries again instead.
//
// A connection the owner does not take (over its cap, say) is closed at
// once and counted; the count is logged when one is taken again. Peers
// decide how often that happens, so the lines go through the owner's log
// budget.
//
// Threads: main thread; the callback runs there. `take` owns the socket it
// is given when it returns true; when it returns false the acceptor closes
// it.

#include <QObject>
#include <QString>

#include <functional>

class LogBudget;
class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

class PacedAcceptor : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRetryMs = 100;
    static constexpr int kPerTurn = 64;

    using Take = std::function<bool(QTcpSocket *socket)>;

    // `server` must be listening; it is paused and its socket watched here.
    // `logPrefix` starts this acceptor's log lines ("p2p: ", say), which
    // `log` (outliving the acceptor) lets through.
    PacedAcceptor(QTcpServer &server, const QString &logPrefix, LogBudget &log, Take take,
                  QObject *parent = nullptr);

private:
    void acceptPending();
    void onShortage(int error);
    void hand(int fd);
    void log(const QString &line, bool error);

    const int m_listenFd;
    const QString m_logPrefix;
    LogBudget &m_log;
    const Take m_take;
    QSocketNotifier *m_notifier;
    quint64 m_fails = 0;      // since accepting last worked
    quint64 m_turnedAway = 0; // since one was last taken
};
