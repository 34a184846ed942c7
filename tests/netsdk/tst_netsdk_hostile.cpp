// libNetSDK against a recorder that lies: numbers no recorder would send,
// media for streams it never announced, a login answered after clean-up,
// and arguments or names the SDK must not wait on.
#include "HostileRecorder.h"
#include "Messages.h"
#include "NetSdkLoader.h"
#include "ProtocolEncoder.h"
#include "WireFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <dlfcn.h>
#include <netdb.h>
#include <pthread.h>
#include <sys/eventfd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr char kSlowName[] = "slow-lookup.test";
// Names whose look-ups hang until the test lets them go (or 5 s passed).
constexpr char kHeldPrefix[] = "held-";

// A name service that takes its time for one name, so that a look-up that
// ignores the connect wait shows.
using GetAddrInfo = int (*)(const char *, const char *, const addrinfo *, addrinfo **);

std::atomic<int> g_disconnects{0};
std::mutex g_heldMutex;
std::condition_variable g_heldReleased;
bool g_heldGo = false;
std::atomic<int> g_heldCalls{0}, g_heldNow{0}, g_heldMost{0};
// What the system denies the device SDK while a test says so: an eventfd,
// as a system out of descriptors or event objects does, or a thread.
enum Denied : int
{
    DenyNothing,
    DenyEventFd,
    DenyThread,
};
std::atomic<int> g_denied{DenyNothing};
using EventFd = int (*)(unsigned int, int);
using ThreadCreate = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);

void TV_SDK_CALL onDisconnect(int, char *, int, void *)
{
    ++g_disconnects;
}

struct Play
{
    SdkApi *api = nullptr;
    std::atomic<int> handle{0};
    std::atomic<int> calls{0};
};

int TV_SDK_CALL stopOnFirstBlock(int, int, unsigned char *, int, void *user)
{
    auto *play = static_cast<Play *>(user);
    if (play->calls++ == 0)
        play->api->stopRealPlay(play->handle, nullptr);
    return 1;
}

int threadCount()
{
    return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

long residentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int heldLookUp()
{
    ++g_heldCalls;
    const int now = ++g_heldNow;
    for (int most = g_heldMost; now > most && !g_heldMost.compare_exchange_weak(most, now);) {
    }
    std::unique_lock<std::mutex> lock(g_heldMutex);
    g_heldReleased.wait_for(lock, std::chrono::seconds(5), [] { return g_heldGo; });
    --g_heldNow;
    return EAI_NONAME;
}

void holdLookUps(bool held)
{
    std::lock_guard<std::mutex> lock(g_heldMutex);
    g_heldGo = !held;
    g_heldReleased.notify_all();
}

// Answers one configuration request after running `before`, so that the
// client knows everything sent before the answer has been dispatched.
void answerConfigAfter(HostileRecorder::Peer &peer, const std::function<void()> &before)
{
    tvwire::Frame frame;
    while (peer.read(frame) && frame.type != tvwire::MsgConfigRequest) {
    }
    before();
    peer.send(tvwire::MsgConfigReply, tvwire::encodeBody(tvwire::ConfigReply{1, {}}),
              frame.sequence);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int
getaddrinfo(const char *node, const char *service, const addrinfo *hints, addrinfo **res)
{
    static const auto real = reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
    const bool numericOnly = hints && (hints->ai_flags & AI_NUMERICHOST);
    if (node && !numericOnly && qstrcmp(node, kSlowName) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return EAI_NONAME;
    }
    if (node && !numericOnly && std::strncmp(node, kHeldPrefix, sizeof kHeldPrefix - 1) == 0)
        return heldLookUp();
    return real(node, service, hints, res);
}

// Only the SDK's calls are denied: Qt in this process needs its own.
extern "C" __attribute__((visibility("default"))) int eventfd(unsigned int count,
                                                              int flags) noexcept
{
    static const auto real = reinterpret_cast<EventFd>(dlsym(RTLD_NEXT, "eventfd"));
    Dl_info caller;
    if (g_denied == DenyEventFd && dladdr(__builtin_return_address(0), &caller) &&
        caller.dli_fname && std::strstr(caller.dli_fname, "libNetSDK")) {
        errno = EMFILE;
        return -1;
    }
    return real(count, flags);
}

// The sanitizers keep books of every thread made: one made past them would
// confuse them, so they keep the system's.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" __attribute__((visibility("default"))) int pthread_create(pthread_t *thread,
                                                                     const pthread_attr_t *attr,
                                                                     void *(*run)(void *),
                                                                     void *arg) noexcept
{
    static const auto real = reinterpret_cast<ThreadCreate>(dlsym(RTLD_NEXT, "pthread_create"));
    return g_denied == DenyThread ? EAGAIN : real(thread, attr, run, arg);
}
#endif

class TestNetSdkHostile : public QObject
{
    Q_OBJECT
    SdkApi api;

    int login(quint16 port, const char *user = "admin", int *error = nullptr)
    {
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int code = 0;
        const int h = api.login("127.0.0.1", port, user, "", record, error ? error : &code, 0);
        return h;
    }

    void config(int handle)
    {
        unsigned char res[8] = {};
        int returned = 0;
        api.getDevConfig(handle, 127, -1, res, sizeof res, &returned, 10000);
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(NetSdkLoader::load(api, error), qPrintable(error));
        QVERIFY(api.init(onDisconnect, nullptr));
        api.setConnectTime(2000, 1);
    }

    // A session that cannot wait on its socket would find it "readable" at
    // every turn and spin; one whose thread the system refused would throw
    // across the SDK's C boundary and end the program. The login must fail
    // instead, with no thread left and the recorder's connection closed.
    // First, while no other test has a thread of its own that could end
    // meanwhile.
    void loginWithoutWhatASessionNeedsFailsCleanly_data()
    {
        QTest::addColumn<int>("denied");
        QTest::newRow("no eventfd") << int(DenyEventFd);
        QTest::newRow("no thread") << int(DenyThread);
    }

    void loginWithoutWhatASessionNeedsFailsCleanly()
    {
        QFETCH(int, denied);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        if (denied == DenyThread)
            QSKIP("the sanitizers see every thread made");
#endif
        std::atomic<bool> closedByClient{false}, counted{false};
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1);
            tvwire::Frame frame;
            QElapsedTimer open;
            open.start();
            while (peer.read(frame, 3000)) {
            }
            closedByClient = open.elapsed() < 2500;
            // Stays until the threads are counted, or a while at most.
            for (int i = 0; i < 300 && !counted; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        });
        const quint16 port = recorder.start();
        const int threadsBefore = threadCount();
        int error = 0;
        g_denied = denied;
        const int h = login(port, "admin", &error);
        g_denied = DenyNothing;
        QCOMPARE(h, 0);
        QCOMPARE(error, -10014);
        QCOMPARE(api.getLastError(), -10014);
        QTRY_VERIFY_WITH_TIMEOUT(closedByClient, 2500);
        QCOMPARE(threadCount(), threadsBefore);
        counted = true;
        // The SDK itself is unharmed: the next login works.
        HostileRecorder next([](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1);
            tvwire::Frame frame;
            peer.read(frame, 2000);
        });
        const int h2 = login(next.start());
        QVERIFY(h2 > 0);
        api.logout(h2);
    }

    // Bytes that never make an answer are no sign of life: a recorder that
    // trickles a frame and answers no keep-alive is given up.
    void tricklingRecorderIsGivenUp()
    {
        std::atomic<bool> closed{false};
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1);
            const tvwire::Media media{1, 0, std::vector<std::uint8_t>(200, 0)}; // 45 s long
            closed = !peer.trickle(tvwire::ProtocolEncoder::encode(tvwire::MsgMedia,
                                                                   HostileRecorder::Peer::kSession,
                                                                   0, tvwire::encodeBody(media)),
                                   200);
        });
        const int before = g_disconnects;
        const int h = login(recorder.start());
        QVERIFY(h > 0);
        QVERIFY(api.setKeepLife(h, 1, 2));
        QTRY_VERIFY_WITH_TIMEOUT(g_disconnects > before, 30000);
        api.logout(h);
        QTRY_VERIFY_WITH_TIMEOUT(closed, 10000);
    }

    void refusesImpossibleChannelCounts_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << 3 << 5 << true;
        QTest::newRow("sum overflows") << INT_MAX << 1 << false;
        QTest::newRow("both huge") << INT_MAX << INT_MAX << false;
        QTest::newRow("negative") << -4 << 8 << false;
    }

    void refusesImpossibleChannelCounts()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, accepted);
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(a, b);
            tvwire::Frame frame;
            peer.read(frame, 2000); // until the client goes
        });
        int error = 0;
        const int h = login(recorder.start(), "admin", &error);
        QCOMPARE(h > 0, accepted);
        if (!accepted)
            QCOMPARE(error, -10008);
        api.logout(h);
    }

    void refusesWhatTheProtocolCannotCarryAtOnce()
    {
        // A recorder that challenges and then never answers: waiting on it
        // would take the whole connect wait.
        HostileRecorder recorder(
            [](HostileRecorder::Peer &peer) {
                tvwire::Frame frame;
                peer.send(tvwire::MsgChallenge,
                          tvwire::encodeBody(tvwire::Challenge{std::vector<std::uint8_t>(32, 1)}));
                peer.read(frame, 3000);
                peer.read(frame, 3000);
            },
            500);
        const QByteArray user(int(tvwire::kMaxNameLength) + 1, 'u');
        QElapsedTimer timer;
        timer.start();
        int error = 0;
        QCOMPARE(login(recorder.start(), user.constData(), &error), 0);
        QCOMPARE(error, -10002);
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    }

    void nameLookupEndsByTheConnectWait()
    {
        api.setConnectTime(300, 1);
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 0;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(api.login(kSlowName, 34567, "admin", "", record, &error, 0), 0);
        const qint64 ms = timer.elapsed();
        api.setConnectTime(2000, 1);
        QCOMPARE(error, -10005);
        QVERIFY2(ms >= 250 && ms < 3000, qPrintable(QString::number(ms)));
    }

    void boundsMediaForUnannouncedStreams()
    {
        constexpr int kFrames = 40;
        constexpr std::size_t kSize = tvwire::kMaxMediaBody - tvwire::kMediaPrefixSize;
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1);
            answerConfigAfter(peer, [&] {
                for (int i = 0; i < kFrames; ++i)
                    peer.sendMedia(1000 + std::uint32_t(i), tvwire::MediaVideoKey, kSize);
            });
            tvwire::Frame frame;
            peer.read(frame, 2000);
        });
        const int h = login(recorder.start());
        QVERIFY(h > 0);
        const long before = residentKiB();
        config(h);
        const long grownMiB = (residentKiB() - before) / 1024;
        qInfo("resident memory grew by %ld MiB after %d MiB of unannounced media", grownMiB,
              kFrames * 4);
        api.logout(h);
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's quarantine keeps freed memory resident");
#endif
        QVERIFY2(grownMiB < 32, qPrintable(QString::number(grownMiB)));
    }

    void callbackThatStopsItsStreamGetsNoMore()
    {
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1);
            tvwire::Frame frame;
            while (peer.read(frame) && frame.type != tvwire::MsgRealPlayRequest) {
            }
            peer.send(tvwire::MsgRealPlayReply, tvwire::encodeBody(tvwire::RealPlayReply{0, 7}),
                      frame.sequence);
            // Held by the SDK until a callback is set: one batch.
            answerConfigAfter(peer, [&] {
                peer.sendMedia(7, tvwire::MediaVideoKey, 64);
                for (int i = 0; i < 5; ++i)
                    peer.sendMedia(7, tvwire::MediaVideo, 64);
            });
            peer.read(frame, 2000);
        });
        const int h = login(recorder.start());
        QVERIFY(h > 0);
        unsigned char info[tvsdk::ClientInfo::kSize] = {};
        tvsdk::writeInt32(info, tvsdk::ClientInfo::kChannel, 1);
        Play play;
        play.api = &api;
        play.handle = api.realPlay(h, info, 1);
        QVERIFY(play.handle > 0);
        config(h);
        api.setRealDataCallback(play.handle, stopOnFirstBlock, &play);
        QTRY_VERIFY(play.calls > 0);
        QTest::qWait(200);
        QCOMPARE(play.calls.load(), 1);
        api.logout(h);
    }

    void refusesAStreamIdAlreadyInUse()
    {
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1);
            tvwire::Frame frame;
            while (peer.read(frame)) {
                if (frame.type == tvwire::MsgRealPlayRequest)
                    peer.send(tvwire::MsgRealPlayReply,
                              tvwire::encodeBody(tvwire::RealPlayReply{0, 9}), frame.sequence);
            }
        });
        const int h = login(recorder.start());
        QVERIFY(h > 0);
        unsigned char info[tvsdk::ClientInfo::kSize] = {};
        tvsdk::writeInt32(info, tvsdk::ClientInfo::kChannel, 1);
        const int first = api.realPlay(h, info, 1);
        QVERIFY(first > 0);
        QCOMPARE(api.realPlay(h, info, 1), 0);
        QCOMPARE(api.getLastError(), -10008);
        QCOMPARE(api.stopRealPlay(first, nullptr), 1);
        api.logout(h);
    }

    void endsOnBadFramesThatCameWithTheLoginReply_data()
    {
        QTest::addColumn<QByteArray>("after");
        const auto other = tvwire::ProtocolEncoder::encode(
            tvwire::MsgKeepAliveReply, HostileRecorder::Peer::kSession + 1, 0, {});
        QTest::newRow("frame for another session")
            << QByteArray(reinterpret_cast<const char *>(other.data()), int(other.size()));
        QTest::newRow("malformed") << QByteArray(24, 'x');
    }

    // The recorder goes silent after them: only the bytes already read can
    // end the session (before, they were skipped and it stayed up).
    void endsOnBadFramesThatCameWithTheLoginReply()
    {
        QFETCH(QByteArray, after);
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            peer.acceptLogin(0, 1, {after.begin(), after.end()});
            tvwire::Frame frame;
            peer.read(frame, 3000);
        });
        g_disconnects = 0;
        const int h = login(recorder.start());
        QVERIFY(h > 0);
        QTRY_COMPARE_WITH_TIMEOUT(g_disconnects.load(), 1, 2000);
        api.logout(h);
    }

    // Names that hang: the ten tries of one login share one look-up, no
    // more than four run at once, clean-up waits for those that end soon
    // and lets go of the others, which then end without touching the SDK.
    void lookUpsAreSharedCappedAndAwaited()
    {
        const int threadsBefore = threadCount();
        holdLookUps(true);
        unsigned char record[tvsdk::DeviceInfo::kSize] = {};
        int error = 0;
        api.setConnectTime(50, 10);
        QCOMPARE(api.login("held-a.test", 34567, "admin", "", record, &error, 0), 0);
        QCOMPARE(error, -10005);
        QCOMPARE(g_heldCalls.load(), 1); // 10 before
        api.setConnectTime(50, 1);
        for (const char *name : {"held-b.test", "held-c.test", "held-d.test", "held-e.test",
                                 "held-f.test", "held-g.test"}) {
            QCOMPARE(api.login(name, 34567, "admin", "", record, &error, 0), 0);
            QCOMPARE(error, -10005);
        }
        QCOMPARE(g_heldMost.load(), 4);
        std::thread release([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            holdLookUps(false);
        });
        api.cleanup();
        release.join();
        QCOMPARE(g_heldNow.load(), 0);
        QVERIFY2(threadCount() <= threadsBefore, qPrintable(QString::number(threadCount())));

        QVERIFY(api.init(onDisconnect, nullptr));
        holdLookUps(true);
        QCOMPARE(api.login("held-z.test", 34567, "admin", "", record, &error, 0), 0);
        QElapsedTimer cleanup;
        cleanup.start();
        api.cleanup();
        QVERIFY2(cleanup.elapsed() < 2500, qPrintable(QString::number(cleanup.elapsed())));
        QCOMPARE(g_heldNow.load(), 1);
        holdLookUps(false);
        QTRY_VERIFY(threadCount() <= threadsBefore);
        QVERIFY(api.init(onDisconnect, nullptr));
        api.setConnectTime(2000, 1);
    }

    // Runs last: it cleans the SDK up.
    void loginOverlappingCleanupLeavesNothingBehind()
    {
        std::atomic<bool> asked{false}, release{false};
        HostileRecorder recorder([&](HostileRecorder::Peer &peer) {
            tvwire::Frame frame;
            peer.send(tvwire::MsgChallenge,
                      tvwire::encodeBody(tvwire::Challenge{std::vector<std::uint8_t>(32, 1)}));
            peer.read(frame);
            asked = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            tvwire::LoginReply reply;
            reply.channelB = 1;
            peer.send(tvwire::MsgLoginReply, tvwire::encodeBody(reply));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        });
        const quint16 port = recorder.start();
        std::atomic<int> handle{-1}, error{0};
        std::thread client([&] {
            int e = 0;
            handle = login(port, "admin", &e);
            error = e;
        });
        QTRY_VERIFY(asked);
        g_disconnects = 0;
        api.cleanup();
        release = true;
        client.join();
        QCOMPARE(handle.load(), 0);
        QCOMPARE(error.load(), -10001);
        QTest::qWait(400); // the recorder has gone meanwhile
        QCOMPARE(g_disconnects.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNetSdkHostile)
#include "tst_netsdk_hostile.moc"
