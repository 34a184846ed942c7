// Logins through libNetSDK against the simulator: refusals with their
// codes, the login code, cloud logins through the P2P service, the agent
// case, and connect time-outs.
#include "NetSdkLoader.h"
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const char *kSerial = "a1b2c3d4e5f60718";
}

class TestNetSdkLogin : public QObject
{
    Q_OBJECT
    SdkApi api;
    SimProcess sim;

    int login(const QByteArray &user, const QByteArray &password, int *error,
              unsigned char *record = nullptr, quint16 port = 0)
    {
        unsigned char scratch[tvsdk::DeviceInfo::kSize] = {};
        return api.login("127.0.0.1", port ? port : sim.port(), user.constData(),
                         password.constData(), record ? record : scratch, error,
                         tvsdk::kLoginKindAddress);
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(NetSdkLoader::load(api, error), qPrintable(error));
        QVERIFY(api.init(nullptr, nullptr));
        api.setConnectTime(2000, 1);
        QStringList args = {"--serial", kSerial,    "--user",     "admin:secret",
                            "--user",   "coded:pw", "--channels", "3:5"};
        for (const char *state : {"locked", "blacklisted", "reserved", "no-power", "logged-in"})
            args << "--user" << QString("%1:pw").arg(state) << "--user-state"
                 << QString("%1:%1").arg(state);
        args << "--user"
             << "odd:pw"
             << "--user-state"
             << "odd:-11315";
        QVERIFY(sim.start(args));
    }

    void cleanupTestCase() { api.cleanup(); }

    void successFillsTheDeviceRecord()
    {
        unsigned char record[tvsdk::DeviceInfo::kSize];
        memset(record, 0xee, sizeof record);
        tvsdk::writeInt32(record, tvsdk::DeviceInfo::kLoginCode, 0);
        int error = 12345;
        const int handle = login("admin", "secret", &error, record);
        QVERIFY(handle > 0);
        QCOMPARE(error, 0);
        QCOMPARE(api.getLastError(), 0);
        QCOMPARE(tvsdk::readInt32(record, tvsdk::DeviceInfo::kChannelBaseA), 3);
        QCOMPARE(tvsdk::readInt32(record, tvsdk::DeviceInfo::kChannelBaseB), 5);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(record) + tvsdk::DeviceInfo::kErrorText),
                 QByteArray(kSerial));
        QCOMPARE(record[700], 0); // the rest of the record is defined, not left over
        const int second = login("admin", "secret", &error);
        QVERIFY(second > 0 && second != handle);
        QVERIFY(api.logout(handle));
        QVERIFY(api.logout(second));
        QVERIFY(!api.logout(second)); // already closed
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<int>("code");
        QTest::newRow("wrong password") << QByteArray("admin") << QByteArray("Secret") << -11301;
        QTest::newRow("empty password") << QByteArray("admin") << QByteArray("") << -11301;
        QTest::newRow("no such user, told as a wrong password")
            << QByteArray("nobody") << QByteArray("secret") << -11301;
        QTest::newRow("locked") << QByteArray("locked") << QByteArray("pw") << -11303;
        QTest::newRow("blacklisted") << QByteArray("blacklisted") << QByteArray("pw") << -11304;
        QTest::newRow("reserved") << QByteArray("reserved") << QByteArray("pw") << -11316;
        QTest::newRow("no power") << QByteArray("no-power") << QByteArray("pw") << -11300;
        QTest::newRow("logged in") << QByteArray("logged-in") << QByteArray("pw") << -11306;
        QTest::newRow("numeric state") << QByteArray("odd") << QByteArray("pw") << -11315;
    }

    void refusals()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, password);
        QFETCH(int, code);
        int error = 0;
        QCOMPARE(login(user, password, &error), 0);
        QCOMPARE(error, code);
        QCOMPARE(api.getLastError(), code);
    }

    void loginCode()
    {
        SimProcess coded;
        QVERIFY(coded.start({"--require-login-code", "7"}));
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 0;
        QCOMPARE(login("admin", "", &error, record, coded.port()), 0);
        QCOMPARE(error, -11318);
        tvsdk::writeInt32(record, tvsdk::DeviceInfo::kLoginCode, 8);
        QCOMPARE(login("admin", "", &error, record, coded.port()), 0);
        QCOMPARE(error, -11318);
        tvsdk::writeInt32(record, tvsdk::DeviceInfo::kLoginCode, 7);
        const int handle = login("admin", "", &error, record, coded.port());
        QVERIFY(handle > 0);
        QCOMPARE(tvsdk::readInt32(record, tvsdk::DeviceInfo::kLoginCode), 7);
        api.logout(handle);
    }

    void cloudLogin()
    {
        const QByteArray server = "127.0.0.1:" + QByteArray::number(sim.p2pPort());
        api.setP2PServer(0, server.constData(), 0);
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 1;
        const int handle =
            api.login(kSerial, 0, "admin", "secret", record, &error, tvsdk::kLoginKindCloud);
        QVERIFY(handle > 0);
        QCOMPARE(error, 0);
        QCOMPARE(api.getLastError(), 0); // not an agent login
        QCOMPARE(tvsdk::readInt32(record, tvsdk::DeviceInfo::kChannelBaseB), 5);
        api.logout(handle);

        QCOMPARE(api.login("0000000000000000", 0, "admin", "secret", record, &error,
                           tvsdk::kLoginKindCloud),
                 0);
        QCOMPARE(error, -11307);
        // the recorder's own refusal still comes through a cloud login
        QCOMPARE(api.login(kSerial, 0, "admin", "bad", record, &error, tvsdk::kLoginKindCloud), 0);
        QCOMPARE(error, -11301);
    }

    void cloudLoginWithoutService()
    {
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 0;
        api.setP2PServer(0, "", 0);
        QCOMPARE(api.login(kSerial, 0, "admin", "secret", record, &error, tvsdk::kLoginKindCloud),
                 0);
        QCOMPARE(error, -10011);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const QByteArray server = "127.0.0.1:" + QByteArray::number(closed.serverPort());
        closed.close(); // nothing listens there any more
        api.setP2PServer(0, server.constData(), 0);
        QCOMPARE(api.login(kSerial, 0, "admin", "secret", record, &error, tvsdk::kLoginKindCloud),
                 0);
        QCOMPARE(error, -10012);
    }

    void agentLogin()
    {
        SimProcess agent;
        QVERIFY(agent.start({"--agent", "--serial", "1234567890"}));
        const QByteArray server = "127.0.0.1:" + QByteArray::number(agent.p2pPort());
        api.setP2PServer(0, server.constData(), 0);
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 1;
        const int handle =
            api.login("1234567890", 0, "admin", "", record, &error, tvsdk::kLoginKindCloud);
        QVERIFY(handle > 0);
        QCOMPARE(api.getLastError(), tvsdk::kErrorAgentLogin);
        api.logout(handle);
        // by address the same recorder is no agent
        QVERIFY((login("admin", "", &error, record, agent.port())) > 0);
        QCOMPARE(api.getLastError(), 0);
    }

    // A listening socket whose accept queue is full drops new SYNs, so a
    // connect there neither succeeds nor fails: only the timeout ends it.
    void connectTimeoutAndTries()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        QCOMPARE(::listen(fd, 0), 0);
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
        const quint16 port = ntohs(addr.sin_port);
        QTcpSocket fillers[3];
        for (auto &f : fillers)
            f.connectToHost(QHostAddress::LocalHost, port);
        QTest::qWait(200);

        api.setConnectTime(400, 3);
        int error = 0;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(login("admin", "", &error, nullptr, port), 0);
        const qint64 elapsed = clock.elapsed();
        api.setConnectTime(2000, 1);
        ::close(fd);
        QCOMPARE(error, -10005);
        // every try waits its time; a busy machine may only add to it
        QVERIFY2(elapsed >= 3 * 400 - 50 && elapsed < 10 * 3 * 400,
                 qPrintable(QString::number(elapsed)));
    }

    void hungRecorderEndsTheLoginInTime()
    {
        // accepts the connection but never sends its challenge
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        api.setConnectTime(300, 2);
        int error = 0;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(login("admin", "", &error, nullptr, silent.serverPort()), 0);
        api.setConnectTime(2000, 1);
        QCOMPARE(error, -10005);
        QVERIFY(clock.elapsed() < 10 * 2 * 300);
    }

    void appIdentity()
    {
        unsigned char record[tvsdk::AppIdentity::kSize] = {};
        const char *key = "0123456789abcdef0123456789abcdef";
        for (std::size_t at :
             {tvsdk::AppIdentity::kFirst, tvsdk::AppIdentity::kSecond, tvsdk::AppIdentity::kThird})
            memcpy(record + at, key, 32);
        tvsdk::writeInt32(record, tvsdk::AppIdentity::kFlag, 1);
        QCOMPARE(api.setAppInfo(record), 0);
        record[tvsdk::AppIdentity::kSecond + 5] = 'A'; // upper case is refused
        QVERIFY(api.setAppInfo(record) < 0);
        record[tvsdk::AppIdentity::kSecond + 5] = 'a';
        record[tvsdk::AppIdentity::kThird + 32] = 'f'; // 33 characters
        QVERIFY(api.setAppInfo(record) < 0);
        record[tvsdk::AppIdentity::kThird + 32] = 0;
        tvsdk::writeInt32(record, tvsdk::AppIdentity::kFlag, 2);
        QVERIFY(api.setAppInfo(record) < 0);
        QVERIFY(api.setAppInfo(nullptr) < 0);
    }
};

QTEST_GUILESS_MAIN(TestNetSdkLogin)
#include "tst_netsdk_login.moc"
