#pragma once
// What a session needs of the server it belongs to, and nothing more: the
// options, the display, the logs, session ids, admission of its viewer,
// and what a login means for the connection's source. The server never
// calls a session back.

#include <QtGlobal>

class QHostAddress;
class QTcpSocket;

class CommandLog;
class LogBudget;
class SimDisplayStream;
struct SimOptions;
class ViewerHub;

class SessionHost
{
public:
    virtual ~SessionHost() = default;
    virtual const SimOptions &options() const = 0;
    virtual SimDisplayStream &display() = 0;
    virtual CommandLog &commandLog() = 0;
    // The budget every session's log lines also cost from, so that
    // connection after connection cannot write without bound.
    virtual LogBudget &log() = 0;
    virtual quint32 newSessionId() = 0;
    virtual ViewerHub &viewers() = 0;
    // Records a login's verdict from `peer`; how long its answer must wait, in ms.
    virtual int loginAnswerDelayMs(const QHostAddress &peer, bool accepted) = 0;
    // The connection's first bytes before its login, and its login.
    virtual void loginBegun(const QTcpSocket *connection) = 0;
    virtual void loggedIn(const QTcpSocket *connection) = 0;
};
