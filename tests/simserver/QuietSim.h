#pragma once
// The simulator with its log in a file: these tests block on sockets
// without an event loop, and a log read through a pipe would then stall it.

#include "SimProcess.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

class QuietSim
{
public:
    bool start(const QStringList &arguments);
    quint16 port() const { return process.port(); }
    qint64 pid() const { return process.pid(); }
    QByteArray log() const;

    SimProcess process;

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_starts = 0;
};
