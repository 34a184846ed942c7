// What the simulator grants one source of connections, driven in-process
// with a fake clock: log lines, the command log's size, connection slots
// per address and the pace of login answers.
#include "CommandLog.h"
#include "ConnectionAdmission.h"
#include "LogBudget.h"
#include "LoginThrottle.h"
#include "P2PService.h"
#include "PacedAcceptor.h"
#include "SimLog.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
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
    void floodIsShownWithinBudget_data();
    void floodIsShownWithinBudget();
    void logVolumeIsBoundedAcrossConnections();
    void turningAwayLogsWithinTheBudget();
    void commandLogStaysWithinItsSize();
    void otherAddressesAlwaysGetIn_data();
    void otherAddressesAlwaysGetIn();
    void churningAddressesLeaveTimeToLogIn_data();
    void churningAddressesLeaveTimeToLogIn();
    void guessingIsPacedPerAddress();
};

void TestSimServerLimits::floodIsShownWithinBudget_data()
{
    QTest::addColumn<bool>("sameLine");
    QTest::addColumn<int>("floodMs");
    QTest::newRow("a new line each time, in 1 s") << false << 1000;
    QTest::newRow("a new line each time, in 4 s") << false << 4000;
    QTest::newRow("one line again and again") << true << 4000;
}

// However long a flood lasts, what it shows (the summaries of what it left
// out included) stays within the burst and the rate, and every line left
// out is counted by the line that comes after a quiet while.
void TestSimServerLimits::floodIsShownWithinBudget()
{
    QFETCH(bool, sameLine);
    QFETCH(int, floodMs);
    LogCapture capture;
    qint64 now = 0;
    LogBudget budget(P2PService::kLogBurst, P2PService::kLogPerSecond, nullptr);
    budget.setClock([&] { return now; });
    const int queries = 400;
    for (int i = 0; i < queries; ++i) {
        now = qint64(i) * floodMs / queries;
        budget.write("p2p: ", QString("serial guess%1 unknown").arg(sameLine ? 0 : i), false);
    }
    const int allowed = P2PService::kLogBurst + P2PService::kLogPerSecond * floodMs / 1000;
    QVERIFY2(g_lines.size() <= allowed, qPrintable(QString::number(g_lines.size())));
    now += 1000;
    budget.write("p2p: ", "serial found", false);
    QCOMPARE(g_lines.last(), QString("p2p: serial found"));
    const QRegularExpression summary("^p2p: (?:the line before came )?(\\d+) (?:more times|lines "
                                     "not shown)$");
    int shown = 0, counted = 0;
    for (const QString &line : g_lines) {
        const QRegularExpressionMatch m = summary.match(line);
        shown += m.hasMatch() ? 0 : 1;
        counted += m.captured(1).toInt();
    }
    QCOMPARE(shown + counted, queries + 1);
}

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

// A peer decides how often connections are turned away and taken again;
// the acceptor's lines about it cost from the budget it is given.
void TestSimServerLimits::turningAwayLogsWithinTheBudget()
{
    LogCapture capture;
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    LogBudget budget(5, 1, nullptr);
    budget.setClock([] { return qint64(0); });
    int handed = 0;
    PacedAcceptor acceptor(server, "test: ", budget, [&](QTcpSocket *socket) {
        if (handed++ % 2)
            return false;
        delete socket;
        return true;
    });
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 100; ++i) {
        clients.emplace_back(new QTcpSocket);
        clients.back()->connectToHost(QHostAddress::LocalHost, server.serverPort());
        QTRY_COMPARE(handed, i + 1);
    }
    QCOMPARE(g_lines.size(), 5);
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

// Attackers hold every pending slot they may; a user from an address of its
// own still gets in, and only pending connections make room for it.
void TestSimServerLimits::otherAddressesAlwaysGetIn_data()
{
    QTest::addColumn<int>("attackers"); // source addresses
    QTest::addColumn<int>("loggedIn");  // of the connections they hold
    QTest::addColumn<bool>("userGetsIn");
    QTest::newRow("one address floods") << 1 << 0 << true;
    QTest::newRow("eight addresses fill every slot") << 8 << 0 << true;
    QTest::newRow("thirty-two addresses, one each") << 32 << 0 << true;
    QTest::newRow("every slot logged in") << 32 << 32 << false;
}

void TestSimServerLimits::otherAddressesAlwaysGetIn()
{
    QFETCH(int, attackers);
    QFETCH(int, loggedIn);
    QFETCH(bool, userGetsIn);
    ConnectionAdmission admission(ConnectionAdmission::limitsFor(32, 10000));
    quintptr id = 0;
    int shortDeadlines = 0;
    for (int i = 0; i < 40; ++i) {
        const auto v = admission.admit(
            ++id, QHostAddress(QString("127.0.1.%1").arg(1 + i % attackers)), 1000 + i);
        shortDeadlines += v.admitted && v.loginDeadlineMs == 2000;
        if (v.admitted && loggedIn > 0 && loggedIn--)
            admission.loggedIn(id);
    }
    const int held = qMin(32, 4 * attackers);
    QCOMPARE(admission.open(), held);
    QCOMPARE(shortDeadlines, qMax(0, held - 23)); // from the 24th slot on
    const auto user = admission.admit(++id, QHostAddress("127.0.0.3"), 5000);
    QCOMPARE(user.admitted, userGetsIn);
    QCOMPARE(user.evict != 0, userGetsIn && held == 32);
    QCOMPARE(admission.open(), qMin(32, held + int(userGetsIn)));
    admission.closed(user.evict); // the evicted one's own close changes nothing more
    QCOMPARE(admission.open(), qMin(32, held + int(userGetsIn)));
}

void TestSimServerLimits::churningAddressesLeaveTimeToLogIn_data()
{
    QTest::addColumn<int>("attackers");
    QTest::addColumn<bool>("attackersBegin"); // send a byte at once, as a user would
    QTest::addColumn<int>("userIdleMs");      // before the user's login begins
    QTest::addColumn<int>("userLoginMs");     // from then until it is logged in
    QTest::newRow("40 idle, 40 ms path") << 40 << false << 40 << 100;
    QTest::newRow("40 that begin, 40 ms path") << 40 << true << 40 << 100;
    QTest::newRow("40 idle, 300 ms path") << 40 << false << 300 << 600;
}

// Addresses hold one connection each against 32 slots and reopen
// each as soon as it is closed, retrying every millisecond. A user arriving
// meanwhile gets a slot at once and keeps it long enough to log in; no
// connection is closed within its grace; the attackers turn the table over
// no faster than the spacing allows.
void TestSimServerLimits::churningAddressesLeaveTimeToLogIn()
{
    QFETCH(int, attackers);
    QFETCH(bool, attackersBegin);
    QFETCH(int, userIdleMs);
    QFETCH(int, userLoginMs);
    ConnectionAdmission admission(ConnectionAdmission::limitsFor(32, 10000));
    QHash<int, quintptr> held; // attacker -> its open connection, 0 for none
    QHash<quintptr, qint64> since;
    quintptr id = 0, user = 0;
    int taken = 0;
    const qint64 userAt = 5000;
    for (qint64 now = 0; now < userAt + userIdleMs + userLoginMs; ++now) {
        for (int a = 0; a < attackers; ++a) {
            if (held.value(a))
                continue;
            const auto v = admission.admit(++id, QHostAddress(QString("127.0.1.%1").arg(a)), now);
            if (!v.admitted)
                continue;
            held[a] = id;
            since[id] = now;
            if (attackersBegin)
                admission.progressed(id);
            if (v.evict) {
                QVERIFY2(v.evict != user, qPrintable(QString("user closed at %1 ms").arg(now)));
                QVERIFY(now - since.value(v.evict) >= ConnectionAdmission::kGraceMs);
                held.remove(held.key(v.evict));
                taken += now >= 1000; // after the start-up
            }
        }
        if (now == userAt) {
            const auto v = admission.admit(user = ++id, QHostAddress("127.0.0.3"), now);
            QVERIFY(v.admitted);
            held.remove(held.key(v.evict));
        }
        if (now == userAt + userIdleMs)
            admission.progressed(user);
    }
    admission.loggedIn(user);
    // Taking a slot costs the user nothing: it may come straight back.
    const qint64 end = userAt + userIdleMs + userLoginMs;
    QVERIFY(admission.admit(++id, QHostAddress("127.0.0.3"), end).admitted);
    const double seconds = (userAt + userIdleMs + userLoginMs - 1000) / 1000.0;
    const double perSecond = attackers * 1000.0 / ConnectionAdmission::kSpacingMs;
    QVERIFY2(taken <= perSecond * seconds + attackers, qPrintable(QString::number(taken)));
    QVERIFY(taken > 0);
}

// After a few failures, answers to that address are spaced, growing to a
// cap; other addresses are never delayed; a success or a quiet while
// forgives; many addresses do not grow the table past its bound.
void TestSimServerLimits::guessingIsPacedPerAddress()
{
    LoginThrottle throttle;
    const QByteArray guesser = ConnectionAdmission::sourceKey(QHostAddress("127.0.0.2"));
    const QByteArray user = ConnectionAdmission::sourceKey(QHostAddress("127.0.0.3"));
    // A guesser answering each connection as soon as its answer came.
    qint64 now = 0;
    int answers = 0;
    while (now < 60000) {
        now += throttle.answer(guesser, false, now) + 1;
        ++answers;
        QCOMPARE(throttle.answer(user, true, now), 0);
    }
    // three free, two at a shorter spacing, then one a second
    QVERIFY2(answers <= 3 + 3 + 60, qPrintable(QString::number(answers)));
    // Parallel connections share the spacing rather than multiply it.
    QCOMPARE(throttle.answer(guesser, false, now), 1000 - 1);
    QCOMPARE(throttle.answer(guesser, false, now), 2000 - 1);
    QCOMPARE(throttle.answer(guesser, true, now), 3000 - 1);
    QCOMPARE(throttle.answer(guesser, false, now), 0); // forgiven by the success
    for (int i = 0; i < 5; ++i)
        throttle.answer(guesser, false, now);
    QVERIFY(throttle.answer(guesser, false, now) > 0);
    now += LoginThrottle::kQuietMs;
    QCOMPARE(throttle.answer(guesser, false, now), 0); // forgiven by the quiet
    // IPv6 by /64: a host's other addresses are the same source.
    QCOMPARE(ConnectionAdmission::sourceKey(QHostAddress("2001:db8::1")),
             ConnectionAdmission::sourceKey(QHostAddress("2001:db8::ffff:2")));
    QCOMPARE(ConnectionAdmission::sourceKey(QHostAddress("::ffff:127.0.0.2")), guesser);
    for (quint32 i = 0; i < 3 * LoginThrottle::kMaxSources; ++i)
        throttle.answer(QByteArray::number(i), false, now);
    QCOMPARE(throttle.sources(), LoginThrottle::kMaxSources);
}

QTEST_GUILESS_MAIN(TestSimServerLimits)
#include "tst_simserver_limits.moc"
