#pragma once
// Runs build/recorder-sim for a test or a benchmark: on ephemeral loopback
// ports (the recorder and its P2P service), with its log collected and
// echoed to the standard error, or written to a file. Lives on the thread
// that made it.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator with these extra options and waits until it
    // listens. Adds "--listen 127.0.0.1:0" and "--p2p-listen 127.0.0.1:0"
    // unless extraArgs gives them.
    bool start(const QStringList &extraArgs = {});
    quint16 port() const { return m_port; }
    quint16 p2pPort() const { return m_p2pPort; }
    qint64 pid() const { return m_process.processId(); }
    // Ends it politely (SIGTERM), then by force if it lingers.
    void stop();
    // Ends it at once, as a crash would: its sockets close with it.
    void kill();
    // Writes one control line to its standard input ("resolution 1280x1024").
    void command(const QByteArray &line);
    // Everything it logged so far.
    QByteArray log() const { return m_log; }
    // Before start: its log goes to this file instead, so that a long run
    // does not pile the log up in the test's own memory.
    void setLogFile(const QString &path) { m_logFile = path; }
    // Before start: no P2P service, for a run that measures the recorder
    // alone.
    void setP2PService(bool on) { m_p2p = on; }
    // Path of the simulator executable in the application directory.
    static QString program();

private:
    bool readAnnouncements(int timeoutMs);

    QProcess m_process;
    QByteArray m_stdout;
    QByteArray m_log;
    QString m_logFile;
    quint16 m_port = 0;
    quint16 m_p2pPort = 0;
    bool m_p2p = true;
};
