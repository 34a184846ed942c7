// The disconnect callback: exactly once per lost login, on an SDK thread,
// whether the recorder closes the session, falls silent or dies; never for
// a login the caller ended itself.
#include "NetSdkLoader.h"
#include "SimProcess.h"

#include <QDir>
#include <QThread>
#include <QtTest>
#include <mutex>

#include <atomic>

namespace {

SdkApi api;

struct Reports
{
    std::mutex mutex;
    QList<int> handles;
    QList<void *> users;
    int onMainThread = 0;
    bool logoutInside = false;
    std::atomic<int> logoutResult{-1};
};
Reports reports;
Qt::HANDLE mainThread;

void TV_SDK_CALL onDisconnect(int handle, char *, int, void *user)
{
    bool logout;
    {
        std::lock_guard<std::mutex> lock(reports.mutex);
        reports.handles << handle;
        reports.users << user;
        if (QThread::currentThreadId() == mainThread)
            ++reports.onMainThread;
        logout = reports.logoutInside;
    }
    if (logout)
        reports.logoutResult = api.logout(handle); // from the SDK's own thread
}

int threadCount()
{
    return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

int count()
{
    std::lock_guard<std::mutex> lock(reports.mutex);
    return reports.handles.size();
}

} // namespace

class TestNetSdkDisconnect : public QObject
{
    Q_OBJECT
    int userTag = 0;

    int login(quint16 port)
    {
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 0;
        const int h = api.login("127.0.0.1", port, "admin", "", record, &error, 0);
        if (h <= 0)
            qWarning("login failed with %d", error);
        return h;
    }

    void expectOneReportFor(int handle)
    {
        QTRY_COMPARE_WITH_TIMEOUT(count(), 1, 20000); // ten times the silent recorder's 2 s
        QTest::qWait(300);                            // and no second one
        std::lock_guard<std::mutex> lock(reports.mutex);
        QCOMPARE(reports.handles, QList<int>{handle});
        QCOMPARE(reports.users.first(), static_cast<void *>(&userTag));
        QCOMPARE(reports.onMainThread, 0);
    }

private slots:
    void initTestCase()
    {
        mainThread = QThread::currentThreadId();
        QString error;
        QVERIFY2(NetSdkLoader::load(api, error), qPrintable(error));
        QVERIFY(api.init(onDisconnect, &userTag));
    }

    void init()
    {
        std::lock_guard<std::mutex> lock(reports.mutex);
        reports.handles.clear();
        reports.users.clear();
        reports.onMainThread = 0;
        reports.logoutInside = false;
    }

    void cleanupTestCase() { api.cleanup(); }

    void recorderDropsTheSession()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--drop-after", "1"}));
        const int other = login(sim.port());
        const int h = login(sim.port());
        QVERIFY(h > 0 && other > 0);
        api.logout(other); // ended by the caller: never reported
        expectOneReportFor(h);
        QVERIFY(api.logout(h));
    }

    void recorderFallsSilent()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--hang-after", "1"}));
        const int h = login(sim.port());
        QVERIFY(h > 0);
        QVERIFY(api.setKeepLife(h, 1, 2));
        expectOneReportFor(h);
        api.logout(h);
    }

    void recorderIsKilled()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        const int before = threadCount();
        const int h = login(sim.port());
        QVERIFY(h > 0);
        {
            std::lock_guard<std::mutex> lock(reports.mutex);
            reports.logoutInside = true;
        }
        sim.kill();
        expectOneReportFor(h);
        QTRY_COMPARE(reports.logoutResult.load(), 1); // and did not lock itself up
        QVERIFY(!api.logout(h));                      // already logged out
        // clean-up joins that thread too, and the SDK is usable again
        QVERIFY(api.cleanup());
        QTRY_COMPARE_WITH_TIMEOUT(threadCount(), before, 2000); // joined threads leave /proc late
        QVERIFY(api.init(onDisconnect, &userTag));
    }

    void ownLogoutIsNotReported()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        const int h = login(sim.port());
        QVERIFY(h > 0);
        QVERIFY(api.logout(h));
        sim.stop();
        QTest::qWait(300);
        QCOMPARE(count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNetSdkDisconnect)
#include "tst_netsdk_disconnect.moc"
