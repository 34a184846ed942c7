#include "SimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>

#include <cstdio>

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::program()
{
    QString dir = qEnvironmentVariable("TV_APP_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    return dir + "/recorder-sim";
}

bool SimProcess::start(const QStringList &extraArgs)
{
    QStringList args;
    if (!extraArgs.contains("--listen"))
        args << "--listen"
             << "127.0.0.1:0";
    if (m_p2p && !extraArgs.contains("--p2p-listen"))
        args << "--p2p-listen"
             << "127.0.0.1:0";
    args << extraArgs;
    if (m_logFile.isEmpty()) {
        QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] {
            const QByteArray chunk = m_process.readAllStandardError();
            m_log += chunk;
            std::fwrite(chunk.constData(), 1, size_t(chunk.size()), stderr);
        });
    } else {
        m_process.setStandardErrorFile(m_logFile);
    }
    m_process.start(program(), args);
    if (!m_process.waitForStarted(5000))
        return false;
    return readAnnouncements(10000);
}

bool SimProcess::readAnnouncements(int timeoutMs)
{
    const QRegularExpression listening("^listening [^ ]+:(\\d+)$",
                                       QRegularExpression::MultilineOption);
    const QRegularExpression p2p("^p2p-listening [^ ]+:(\\d+)$",
                                 QRegularExpression::MultilineOption);
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const auto a = listening.match(m_stdout), b = p2p.match(m_stdout);
        if (a.hasMatch() && (b.hasMatch() || !m_p2p)) {
            m_port = quint16(a.captured(1).toUInt());
            m_p2pPort = b.hasMatch() ? quint16(b.captured(1).toUInt()) : 0;
            return true;
        }
        if (m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        m_stdout += m_process.readAllStandardOutput();
    }
    return false;
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        kill();
}

void SimProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}

void SimProcess::command(const QByteArray &line)
{
    m_process.write(line + "\n");
    m_process.waitForBytesWritten(1000);
}
