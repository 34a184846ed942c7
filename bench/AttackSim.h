#pragma once
// The recorder simulator an attack runs against: its own process on
// ephemeral loopback ports with the P2P service, its log in a file of a
// temporary directory, killed by ExitGuard if the bench is ended by a
// signal. With TV_ATTACK_KEEP_LOGS set, the log stays and its path is
// printed.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class SimProcess;

class AttackSim
{
public:
    AttackSim();
    ~AttackSim();
    bool start(const QStringList &options, QString &error);
    void stop();
    quint16 port() const;
    quint16 p2pPort() const;
    qint64 pid() const { return m_pid; }
    // Options every simulator started from now on gets, after its own.
    static void setCommonOptions(const QStringList &options);
    // The serial its P2P service knows.
    static QString serial() { return "7f3a9c2e41b8d605"; }

private:
    QTemporaryDir m_temp;
    std::unique_ptr<SimProcess> m_sim;
    qint64 m_pid = 0;
};
