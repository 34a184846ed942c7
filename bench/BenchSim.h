#pragma once
// The recorder simulator as a separate process for a benchmark, on an
// ephemeral loopback port. Its event log goes straight to a file, not
// through this process, so that logging costs the measured client neither
// CPU nor memory. Lives on the GUI thread.

#include <QProcess>
#include <QStringList>

class BenchSim
{
public:
    BenchSim() = default;
    ~BenchSim();
    BenchSim(const BenchSim &) = delete;
    BenchSim &operator=(const BenchSim &) = delete;

    // Starts build/recorder-sim with these options and waits until it
    // listens; logFile receives its standard error.
    bool start(const QStringList &options, const QString &logFile);
    void stop();
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    quint16 m_port = 0;
};
