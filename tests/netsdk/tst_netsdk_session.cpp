// A logged-in session through libNetSDK: configuration records and their
// failures, JSON commands arriving byte for byte, real play with its data
// callback guarantees, and clean-up with everything still running.
#include "NetSdkLoader.h"
#include "SimProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

struct Counter
{
    std::atomic<int> calls{0};
    std::atomic<int> firstType{0};
    std::atomic<bool> annexB{true};
    std::atomic<bool> inside{false};
    std::atomic<bool> removed{false};
    std::atomic<int> lateCalls{0};
    std::atomic<int> slowMs{0};
    std::atomic<qint64> firstAtNs{0};
};

int TV_SDK_CALL onData(int, int type, unsigned char *data, int length, void *user)
{
    auto *c = static_cast<Counter *>(user);
    if (c->removed)
        ++c->lateCalls;
    c->inside = true;
    if (c->calls++ == 0) {
        c->firstType = type;
        c->firstAtNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    }
    if (length < 4 || data[0] != 0 || data[1] != 0 || data[2] != 0 || data[3] != 1)
        c->annexB = false;
    if (c->slowMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(c->slowMs));
    c->inside = false;
    return 1;
}

int threadCount()
{
    return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

} // namespace

class TestNetSdkSession : public QObject
{
    Q_OBJECT
    SdkApi api;
    SimProcess sim;
    QTemporaryDir dir;

    int login(quint16 port)
    {
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 0;
        return api.login("127.0.0.1", port, "admin", "", record, &error, 0);
    }

    int startPlay(int handle, int channel, Counter &counter)
    {
        unsigned char info[tvsdk::ClientInfo::kSize] = {};
        tvsdk::writeInt32(info, tvsdk::ClientInfo::kChannel, channel);
        const int play = api.realPlay(handle, info, 1);
        if (play > 0)
            api.setRealDataCallback(play, onData, &counter);
        return play;
    }

    int config(int handle, int command, unsigned char *buffer, int size, int timeoutMs = 1000)
    {
        int returned = -1;
        return api.getDevConfig(handle, command, -1, buffer, size, &returned, timeoutMs);
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(NetSdkLoader::load(api, error), qPrintable(error));
        QVERIFY(api.init(nullptr, nullptr));
        QVERIFY(sim.start({"--command-log", dir.filePath("commands.log"), "--fps", "50"}));
    }

    void configurationRecords()
    {
        const int h = login(sim.port());
        QVERIFY(h > 0);
        unsigned char sys[tvsdk::SystemFunction::kSize] = {};
        int returned = 0;
        QVERIFY(api.getDevConfig(h, 9, -1, sys, sizeof sys, &returned, 5000) >= 0);
        QCOMPARE(returned, int(sizeof sys));
        QCOMPARE(int(sys[tvsdk::SystemFunction::kRemoteCtrlFlag]), 1);
        unsigned char res[8] = {};
        QVERIFY(config(h, 127, res, 8) >= 0);
        QCOMPARE(tvsdk::readInt32(res, 0), 1080);
        QCOMPARE(tvsdk::readInt32(res, 4), 1920);

        QVERIFY(config(h, 9, sys, 228) < 0);  // too small
        QVERIFY(config(h, 10, sys, 229) < 0); // no such command
        QVERIFY(config(h + 1000, 127, res, 8) < 0);

        sim.command("resolution 1280x1024");
        QTRY_VERIFY(config(h, 127, res, 8) >= 0 && tvsdk::readInt32(res, 4) == 1280);
        QCOMPARE(tvsdk::readInt32(res, 0), 1024);
        api.logout(h);
    }

    void configurationFailures()
    {
        SimProcess other;
        QVERIFY(other.start({"--no-remote-control", "--fail-config", "127", "--refuse-realplay"}));
        const int h = login(other.port());
        QVERIFY(h > 0);
        unsigned char sys[tvsdk::SystemFunction::kSize];
        memset(sys, 0xff, sizeof sys);
        QVERIFY(config(h, 9, sys, sizeof sys) >= 0);
        QCOMPARE(int(sys[tvsdk::SystemFunction::kRemoteCtrlFlag]), 0);
        unsigned char res[8] = {};
        QVERIFY(config(h, 127, res, 8) < 0);
        Counter counter;
        QCOMPARE(startPlay(h, 8, counter), 0);
        QCOMPARE(api.getLastError(), -10010);
        api.logout(h);
    }

    void hungRecorderHonoursTimeouts()
    {
        SimProcess hung;
        QVERIFY(hung.start({"--hang-after", "0"}));
        const int h = login(hung.port());
        QVERIFY(h > 0);
        QTRY_VERIFY(hung.log().contains("hangs"));
        unsigned char res[8] = {};
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(config(h, 127, res, 8, 300), -10005);
        QVERIFY(clock.elapsed() >= 290 && clock.elapsed() < 3000);
        clock.restart();
        const char json[] = "{}";
        QCOMPARE(api.sendJson(h, "OPRemoteCtrl", 4000, -1, json, 2, 300), -10005);
        QVERIFY(clock.elapsed() < 3000);
        clock.restart();
        QVERIFY(api.logout(h));
        QVERIFY(clock.elapsed() < 3000);
    }

    void jsonArrivesByteForByte()
    {
        const int h = login(sim.port());
        QVERIFY(h > 0);
        const QByteArray press = "{\n   \"P1\" : \"0x1\",\n   \"P2\" : \"0x03c0021c\",\n"
                                 "   \"msg\" : \"0x20008\"\n}\n";
        // a malformed one is logged by the recorder, still acknowledged
        const QByteArray odd = QByteArray("{\"msg\":\"0x2\xff\"}\n\0tail", 20);
        QVERIFY(api.sendJson(h, "OPRemoteCtrl", 4000, -1, press.constData(), press.size(), 1000) >
                0);
        QVERIFY(api.sendJson(h, "OPRemoteCtrl", 4000, -1, odd.constData(), odd.size(), 1000) > 0);
        QVERIFY(api.sendJson(h, "OtherCommand", 1, -1, "x", 1, 1000) > 0);
        QFile log(dir.filePath("commands.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), press + odd);
        api.logout(h);
    }

    void realPlayDeliversBlocks()
    {
        const int h = login(sim.port());
        Counter counter;
        QCOMPARE(startPlay(h, 7, counter), 0); // not the display channel (4 + 4)
        const qint64 startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count();
        const int play = startPlay(h, 8, counter);
        QVERIFY(play > 0);
        QTRY_VERIFY(counter.calls >= 5);
        qInfo("first block %lld ms after the real-play call",
              (counter.firstAtNs - startNs) / 1000000);
        QCOMPARE(counter.firstType.load(), 2); // the stream starts with a key unit
        QVERIFY(counter.annexB);
        QVERIFY(api.delRealDataCallback(play, onData, &counter));
        counter.removed = true;
        QTest::qWait(200); // no data may come now
        QCOMPARE(counter.lateCalls.load(), 0);
        QVERIFY(api.stopRealPlay(play, nullptr));
        api.logout(h);
    }

    void removalWaitsForARunningCallback_data()
    {
        QTest::addColumn<bool>("byStop");
        QTest::newRow("remove callback") << false;
        QTest::newRow("stop real play") << true;
    }

    void removalWaitsForARunningCallback()
    {
        QFETCH(bool, byStop);
        const int h = login(sim.port());
        Counter counter;
        counter.slowMs = 30;
        const int play = startPlay(h, 8, counter);
        QVERIFY(play > 0);
        for (int round = 0; round < 5; ++round) {
            QTRY_VERIFY(counter.inside);
        }
        if (byStop)
            api.stopRealPlay(play, nullptr);
        else
            api.delRealDataCallback(play, onData, &counter);
        QVERIFY(!counter.inside);
        counter.removed = true;
        QTest::qWait(150);
        QCOMPARE(counter.lateCalls.load(), 0);
        if (!byStop)
            api.stopRealPlay(play, nullptr);
        api.logout(h);
    }

    // Starts and stops over and over while blocks keep arriving; each stop
    // must leave its callback finished for good.
    void stopWhileDataArrives()
    {
        const int h = login(sim.port());
        QVERIFY(h > 0);
        for (int round = 0; round < 15; ++round) {
            Counter counter;
            const int play = startPlay(h, 8, counter);
            QVERIFY(play > 0);
            QTRY_VERIFY(counter.calls > 0);
            QVERIFY(api.stopRealPlay(play, nullptr));
            counter.removed = true;
            QVERIFY(!counter.inside);
            QCOMPARE(counter.lateCalls.load(), 0);
            QVERIFY(!api.stopRealPlay(play, nullptr)); // the handle is gone
        }
        api.logout(h);
    }

    void logoutAndCleanupWithEverythingRunning()
    {
        const int before = threadCount();
        Counter a, b;
        a.slowMs = b.slowMs = 5;
        const int h1 = login(sim.port()), h2 = login(sim.port()), h3 = login(sim.port());
        QVERIFY(h1 > 0 && h2 > 0 && h3 > 0);
        QVERIFY(startPlay(h1, 8, a) > 0);
        QVERIFY(startPlay(h2, 8, b) > 0);
        QTRY_VERIFY(a.calls > 3 && b.calls > 3);
        QVERIFY(api.logout(h1)); // its callback is done with
        QVERIFY(!a.inside);
        a.removed = true;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(api.cleanup());
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!b.inside);
        b.removed = true;
        // Every SDK thread is joined; a joined thread can stay listed in /proc
        // for a moment after its join returns.
        QTRY_COMPARE_WITH_TIMEOUT(threadCount(), before, 2000);
        QTest::qWait(150);
        QCOMPARE(a.lateCalls + b.lateCalls, 0);
        unsigned char res[8] = {};
        QVERIFY(config(h2, 127, res, 8) < 0); // sessions are gone
        // the SDK can be used again after a clean-up
        QVERIFY(api.init(nullptr, nullptr));
        const int again = login(sim.port());
        QVERIFY(again > 0);
        api.cleanup();
    }
};

QTEST_GUILESS_MAIN(TestNetSdkSession)
#include "tst_netsdk_session.moc"
