// What the simulator grants one source of connections, driven in-process
// with a fake clock: log lines, the command log's size, connection slots
// per address and the pace of login answers.
#include "CommandLog.h"
#include "LogBudget.h"
#include "SimLog.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList g_lines;

void collect(bool, const QString &line)
{
    g_lines << line;
}

// Collects SimLog's lines while it lives.
struct LogCapture
{
    LogCapture()
    {
        g_lines.clear();
        SimLog::setSink(collect);
    }
    ~LogCapture() { SimLog::setSink(nullptr); }
};

} // namespace

class TestSimServerLimits : public QObject
{
    Q_OBJECT
private slots:
    void logVolumeIsBoundedAcrossConnections();
    void commandLogStaysWithinItsSize();
};

// A peer that opens connection after connection gets a fresh per-session
// budget each time; the server-wide one bounds the total and counts the rest.
void TestSimServerLimits::logVolumeIsBoundedAcrossConnections()
{
    LogCapture capture;
    qint64 now = 0;
    LogBudget server(50, 10, nullptr);
    server.setClock([&] { return now; });
    for (int i = 0; i < 500; ++i) {
        LogBudget session(200, 50, &server);
        session.setClock([&] { return now; });
        const QString prefix = QString("session %1: ").arg(i);
        session.write(prefix, "connection from 127.0.0.2", false);
        session.write(prefix, "login refused", false);
        session.write(prefix, "closed (login refused)", false, true);
    }
    QCOMPARE(g_lines.size(), 50);
    now += 1000;
    LogBudget later(200, 50, &server);
    later.setClock([&] { return now; });
    later.write("session 501: ", "connection from 127.0.0.3", false);
    QCOMPARE(g_lines.size(), 52);
    QCOMPARE(g_lines[50],
             QString("1450 lines from all sessions not shown (server-wide log budget)"));
    QCOMPARE(g_lines[51], QString("session 501: connection from 127.0.0.3"));
}

// The newest texts are kept byte for byte; what is on disk stays bounded.
void TestSimServerLimits::commandLogStaysWithinItsSize()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("commands.log");
    QByteArray all;
    {
        CommandLog log(1000);
        QString error;
        QVERIFY2(log.open(path, error), qPrintable(error));
        for (int i = 0; i < 100; ++i) {
            const QByteArray text = QByteArray::number(i).rightJustified(64, '.');
            log.append(text);
            all += text;
        }
    }
    QFile current(path), older(path + ".1");
    QVERIFY(current.open(QIODevice::ReadOnly) && older.open(QIODevice::ReadOnly));
    const QByteArray kept = older.readAll() + current.readAll();
    QVERIFY2(current.size() <= 1000 && older.size() <= 1000,
             qPrintable(QString("%1 and %2 bytes").arg(current.size()).arg(older.size())));
    QVERIFY(kept.size() >= 1000);
    QVERIFY(all.endsWith(kept));
}

QTEST_GUILESS_MAIN(TestSimServerLimits)
#include "tst_simserver_limits.moc"
