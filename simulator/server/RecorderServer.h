#pragma once
// Accepts recorder connections and holds what every session shares: the
// options, the display stream and the command log. GUI-less, main thread.

#include "CommandLog.h"
#include "DisplayStream.h"
#include "SimOptions.h"

#include <QObject>
#include <QTcpServer>

#include <memory>

class RecorderServer : public QObject
{
    Q_OBJECT
public:
    explicit RecorderServer(const SimOptions &options, QObject *parent = nullptr);
    ~RecorderServer() override;

    bool listen(QString &error);
    QHostAddress address() const { return m_server.serverAddress(); }
    quint16 port() const { return m_server.serverPort(); }

    const SimOptions &options() const { return m_options; }
    DisplayStream &display() { return *m_display; }
    CommandLog &commandLog() { return m_commandLog; }
    quint32 newSessionId();
    void setResolution(int width, int height);

private:
    void acceptPending();

    SimOptions m_options;
    QTcpServer m_server;
    std::unique_ptr<DisplayStream> m_display;
    CommandLog m_commandLog;
    int m_connections = 0;
    quint32 m_nextSessionId;
};
