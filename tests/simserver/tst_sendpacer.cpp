// The pacer driven through a model link, millisecond by millisecond: a
// sender that writes a picture every 40 ms unless the pacer says full, a
// bottleneck of fixed rate, then a round trip before the bytes count as
// delivered.
#include "SendPacer.h"

#include <QtTest>

#include <deque>

namespace {

struct Link
{
    Link(double kbits, int rttMs, int frameBytes)
        : kbits(kbits), rttMs(rttMs), frameBytes(frameBytes)
    {
    }
    double kbits;
    int rttMs;
    int frameBytes;
    double relayBytes = 0; // a buffer the sender cannot see, before the bottleneck
    double backlog = 0, inFlight = 0, delivered = 0, relayed = 0;
    std::deque<std::pair<int, double>> flight; // arrival time, bytes
    int now = 0;
    bool reading = true;
    // what the last run() saw
    double maxWaitMs = 0; // the longest a byte waited in the bottleneck's queue
    double largest = 0;   // the largest picture written
    int skipped = 0;

    void look(SendPacer &pacer)
    {
        SendPacer::Reading r;
        r.nowMs = now;
        r.queued = std::int64_t(backlog + inFlight);
        r.delivered = std::int64_t(delivered);
        r.minRttUs = rttMs * 1000;
        pacer.update(r);
    }
    void step()
    {
        // A relay's buffer takes bytes at once and acknowledges them.
        const double taken = std::min(backlog, relayBytes - relayed);
        backlog -= taken;
        relayed += taken;
        delivered += taken;
        const double leaving =
            reading ? std::min(relayBytes > 0 ? relayed : backlog, kbits / 8) : 0;
        if (relayBytes > 0) {
            relayed -= leaving;
            return;
        }
        backlog -= leaving;
        inFlight += leaving;
        flight.emplace_back(now + rttMs, leaving);
        for (; !flight.empty() && flight.front().first <= now; flight.pop_front()) {
            delivered += flight.front().second;
            inFlight -= flight.front().second;
        }
    }
    void run(SendPacer &pacer, int ms)
    {
        maxWaitMs = largest = 0;
        skipped = 0;
        for (const int end = now + ms; now < end; ++now) {
            step();
            if (now % 40 == 0 && pacer.hold()) {
                ++skipped;
            } else if (now % 40 == 0 && frameBytes > 0) {
                // the encoder's VBV keeps a picture within the limit
                const std::int64_t limit = pacer.maxRate();
                const double picture =
                    limit ? std::min<double>(frameBytes, limit / 8 / 25) : frameBytes;
                backlog += picture;
                if (now > 1000)
                    largest = std::max(largest, picture);
                look(pacer); // as the session does after each write
            }
            if (now % 10 == 0)
                look(pacer);
            if (now > 1000 && reading)
                maxWaitMs = std::max(maxWaitMs, (backlog + relayed) / (kbits / 8));
        }
    }
};

} // namespace

class TestSendPacer : public QObject
{
    Q_OBJECT
private slots:
    void followsThePath_data();
    void followsThePath();
    void stallsOnlyAfterASecondFull();
    void lightStreamKeepsPicturesShort();
    void slowStartIsNoPath();
};

void TestSendPacer::followsThePath_data()
{
    QTest::addColumn<double>("kbits");
    QTest::addColumn<int>("rttMs");
    QTest::addColumn<int>("frameBytes"); // 25 a second
    QTest::addColumn<bool>("limited");
    QTest::addColumn<int>("relayBytes");
    QTest::newRow("loopback") << 8e6 << 0 << 20000 << false << 0;
    QTest::newRow("4 Mbit/s") << 4000.0 << 0 << 30000 << true << 0;
    QTest::newRow("1.5 Mbit/s") << 1500.0 << 0 << 20000 << true << 0;
    QTest::newRow("1.5 Mbit/s, 80 ms") << 1500.0 << 80 << 20000 << true << 0;
    QTest::newRow("1.5 Mbit/s behind a relay") << 1500.0 << 0 << 20000 << true << 24 * 1024;
    // a light stream on a slow, long path: the limit must not press it down
    QTest::newRow("1.5 Mbit/s, 80 ms, light") << 1500.0 << 80 << 2000 << false << 0;
}

void TestSendPacer::followsThePath()
{
    QFETCH(double, kbits);
    QFETCH(int, rttMs);
    QFETCH(int, frameBytes);
    QFETCH(bool, limited);
    QFETCH(int, relayBytes);
    SendPacer pacer;
    Link link(kbits, rttMs, frameBytes);
    link.relayBytes = relayBytes;
    link.run(pacer, 6000);
    const double offered = frameBytes * 25 * 8 / 1000.0, estimate = pacer.measured() * 8 / 1000.0;
    qInfo("estimate %.0f kbit/s, limit %lld kbit/s, longest wait %.0f ms, %d skipped", estimate,
          static_cast<long long>(pacer.maxRate() / 1000), link.maxWaitMs, link.skipped);
    if (!limited) {
        QVERIFY(pacer.maxRate() == 0 || pacer.maxRate() / 1000 >= 1.2 * offered);
        QCOMPARE(link.skipped, 0);
        return;
    }
    QVERIFY2(estimate > 0.8 * kbits && estimate < 1.25 * kbits,
             qPrintable(QString::number(estimate)));
    // the hold (which counts what is in flight, a round trip's worth on top),
    // one picture, one look late, and what the relay hides
    const double picture = link.largest * 8 / kbits;
    QVERIFY2(link.maxWaitMs <= SendPacer::kHoldMs + rttMs + picture + 10 + relayBytes * 8 / kbits,
             qPrintable(QString::number(link.maxWaitMs)));
    // The path gets faster: the limit climbs after it, a step a second
    // while the pictures still drain within their share of an interval (on
    // a long path the lumps in flight cut some probes short), to at least
    // half again its share of the old path.
    link.kbits *= 3;
    link.run(pacer, 15000);
    qInfo("three times faster: limit %lld kbit/s", static_cast<long long>(pacer.maxRate() / 1000));
    QVERIFY2(pacer.maxRate() == 0 || pacer.maxRate() / 1000 > 1.5 * kbits * SendPacer::kRateShare,
             qPrintable(QString::number(pacer.maxRate())));
}

// A reader that stops holds the stream for kStallMs, then is given up on
// until it has drained; the next time, after a quarter of that.
void TestSendPacer::stallsOnlyAfterASecondFull()
{
    SendPacer pacer;
    Link link(1500, 0, 20000);
    link.run(pacer, 2000);
    QVERIFY(!pacer.stalled());
    link.reading = false;
    link.run(pacer, 100);
    QVERIFY(pacer.full());
    link.run(pacer, SendPacer::kStallMs - 200);
    QVERIFY(pacer.full() && !pacer.stalled());
    link.run(pacer, 200);
    QVERIFY(pacer.stalled());
    link.reading = true;
    link.run(pacer, 1000);
    QVERIFY(!pacer.stalled());
    // once given up on, a reader that stops again is given up on sooner
    // (the pictures limited to the path take a few intervals to fill it)
    link.reading = false;
    link.run(pacer, SendPacer::kStallMs / 4 + 200);
    QVERIFY(pacer.stalled());
}

// Measured while heavy, then lighter than its limit: probes must not lift
// the limit so far that one picture of a burst (a click's answer) could
// take more than 30 ms of the path.
void TestSendPacer::lightStreamKeepsPicturesShort()
{
    SendPacer pacer;
    Link link(1500, 0, 20000);
    link.run(pacer, 2000);
    QVERIFY(pacer.maxRate() > 0);
    link.frameBytes = 4000; // 800 kbit/s, about half the path
    link.run(pacer, 20000);
    const double pictureMs = double(pacer.maxRate()) / 25 / link.kbits;
    QVERIFY2(pictureMs <= 30, qPrintable(QString::number(pictureMs)));
}

// A viewer that reads slowly for its first 150 ms (a decoder starting, a
// receive window still small) and then everything at once is no slow path:
// nothing is limited.
void TestSendPacer::slowStartIsNoPath()
{
    SendPacer pacer;
    Link link(3000, 0, 20000);
    link.run(pacer, 150);
    QVERIFY(pacer.full());
    link.kbits = 8e6;
    link.run(pacer, 3000);
    QCOMPARE(pacer.maxRate(), std::int64_t(0));
    QCOMPARE(link.skipped, 0);
}

QTEST_GUILESS_MAIN(TestSendPacer)
#include "tst_sendpacer.moc"
