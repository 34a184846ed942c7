// The input call on a thread of its own racing the GUI thread's stop,
// close and release. Meant to be run under ThreadSanitizer as well.

#include "PlaySdk.h"
#include "TestFrame.h"
#include "TestStream.h"

#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <thread>

class TestH264PlayThreads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { m_sdk.finish(); }
    void stopsAndReleasesWhileDataArrives();
    void stopsWhileTheDecoderIsStalled();

private:
    PlaySdk m_sdk;
    QByteArray m_stream;
};

void TestH264PlayThreads::initTestCase()
{
    QString error;
    QVERIFY2(m_sdk.load(error), qPrintable(error));
    TestStream::quietDecoderLog();
    m_stream = TestStream::encode("testsrc2=size=1280x1024:rate=25", 10, 0, "aud=1", 5);
    QVERIFY(!m_stream.isEmpty());
}

void TestH264PlayThreads::stopsAndReleasesWhileDataArrives()
{
    std::atomic<bool> running{true};
    std::atomic<qint64> accepted{0};
    std::thread feeder([&] {
        QRandomGenerator rng(21);
        while (running) {
            for (int at = 0; at < m_stream.size() && running;) {
                const int n = qMin(m_stream.size() - at, 1 + int(rng.bounded(4096)));
                accepted += m_sdk.input(
                    0, reinterpret_cast<unsigned char *>(const_cast<char *>(m_stream.data()) + at),
                    n);
                at += n;
            }
        }
    });
    std::atomic<int> reported{0};
    TestFrame frame(QSize(640, 512));
    QVERIFY(frame.showAndWait());
    for (int round = 0; round < 12; ++round) {
        m_sdk.setObserver(
            0,
            [](void *user, const TvPlayFrameTimes *) { ++*static_cast<std::atomic<int> *>(user); },
            &reported);
        QVERIFY(m_sdk.start(&frame));
        if (round % 3 == 0)
            QTRY_VERIFY(m_sdk.stats().framesPainted > 0);
        // Stop, close and release each on their own, as the client does.
        m_sdk.stop(0);
        QCOMPARE(frame.findChildren<QWidget *>().size(), 0);
        m_sdk.close(0);
        m_sdk.release(0);
    }
    const int afterRelease = reported;
    QVERIFY(afterRelease > 0);
    // Nothing queued before release may still reach the observer.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(int(reported), afterRelease);
    running = false;
    feeder.join();
    QVERIFY(accepted > 0);
}

void TestH264PlayThreads::stopsWhileTheDecoderIsStalled()
{
    TestFrame frame(QSize(320, 256));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    QVERIFY(m_sdk.setPaused(0, 1));
    std::atomic<bool> running{true};
    std::thread feeder([&] {
        while (running)
            m_sdk.input(0, reinterpret_cast<unsigned char *>(const_cast<char *>(m_stream.data())),
                        m_stream.size());
    });
    QTRY_VERIFY(m_sdk.stats().dropEpisodes > 0);
    m_sdk.finish();
    running = false;
    feeder.join();
}

QTEST_MAIN(TestH264PlayThreads)
#include "tst_H264PlayThreads.moc"
