#include "WindowManager.h"

#include <QDeadlineTimer>
#include <QTest>

namespace {
constexpr int kStartDeadlineMs = 10000;
constexpr int kToolDeadlineMs = 5000;
constexpr int kPollMs = 20;
} // namespace

WindowManager::~WindowManager()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kToolDeadlineMs)) {
        m_process.kill();
        m_process.waitForFinished(kToolDeadlineMs);
    }
}

QByteArray WindowManager::rootProperty(const char *name)
{
    QProcess query;
    query.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QString::fromLatin1(name)});
    if (!query.waitForFinished(kToolDeadlineMs))
        return QByteArray();
    return query.readAllStandardOutput();
}

quintptr WindowManager::activeWindow()
{
    // "_NET_ACTIVE_WINDOW(WINDOW): window id # 0x600107"
    const QByteArray line = rootProperty("_NET_ACTIVE_WINDOW").trimmed();
    const int nHash = line.lastIndexOf('#');
    return nHash < 0 ? 0 : line.mid(nHash + 1).trimmed().toULongLong(nullptr, 16);
}

bool WindowManager::start()
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_process.waitForStarted(kToolDeadlineMs))
        return false;
    const QDeadlineTimer deadline(kStartDeadlineMs);
    // An EWMH manager names its check window on the root window once it
    // has taken over the screen.
    while (!rootProperty("_NET_SUPPORTING_WM_CHECK").contains("window id")) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(kPollMs);
    }
    return true;
}
