#include "BenchSim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>

BenchSim::~BenchSim()
{
    stop();
}

bool BenchSim::start(const QStringList &options, const QString &logFile)
{
    m_process.setStandardErrorFile(logFile);
    m_process.start(QCoreApplication::applicationDirPath() + "/recorder-sim",
                    QStringList{"--listen", "127.0.0.1:0"} + options);
    if (!m_process.waitForStarted(5000))
        return false;
    const QRegularExpression listening("^listening [^ ]+:(\\d+)$",
                                       QRegularExpression::MultilineOption);
    QByteArray out;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
        const auto match = listening.match(QString::fromLatin1(out));
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    return false;
}

void BenchSim::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}
