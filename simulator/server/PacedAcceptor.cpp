#include "PacedAcceptor.h"

#include "LogBudget.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

PacedAcceptor::PacedAcceptor(QTcpServer &server, const QString &logPrefix, LogBudget &log,
                             Take take, QObject *parent)
    : QObject(parent), m_listenFd(int(server.socketDescriptor())), m_logPrefix(logPrefix),
      m_log(log), m_take(std::move(take)),
      m_notifier(new QSocketNotifier(server.socketDescriptor(), QSocketNotifier::Read, this))
{
    server.pauseAccepting();
    connect(m_notifier, &QSocketNotifier::activated, this, &PacedAcceptor::acceptPending);
}

void PacedAcceptor::acceptPending()
{
    for (int n = 0; n < kPerTurn; ++n) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            const int error = errno;
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM)
                onShortage(error);
            return; // EAGAIN, or a connection that went away meanwhile
        }
        if (m_fails) {
            log(QString("accepting again after %1 failed attempts").arg(m_fails), false);
            m_fails = 0;
        }
        hand(fd);
    }
}

// The owner decides by the socket's peer address, so the socket comes first.
void PacedAcceptor::hand(int fd)
{
    auto *socket = new QTcpSocket;
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        delete socket;
        return;
    }
    if (!m_take(socket)) {
        if (m_turnedAway++ == 0)
            log("connections over the cap: turning new ones away (counted)", true);
        delete socket;
        return;
    }
    if (m_turnedAway) {
        log(QString("%1 connections were turned away").arg(m_turnedAway), false);
        m_turnedAway = 0;
    }
}

void PacedAcceptor::onShortage(int error)
{
    if (m_fails++ == 0)
        log(QString("cannot accept: %1 (retrying, counted)").arg(qt_error_string(error)), true);
    m_notifier->setEnabled(false);
    QTimer::singleShot(kRetryMs, this, [this] { m_notifier->setEnabled(true); });
}

void PacedAcceptor::log(const QString &line, bool error)
{
    m_log.write(m_logPrefix, line, error);
}
