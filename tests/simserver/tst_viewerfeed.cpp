// A viewer's feed driven through a model link and a fake display,
// millisecond by millisecond: pictures every 40 ms unless the feed holds
// the stream, a bottleneck of fixed rate behind the connection.
#include "FeedHost.h"
#include "PatienceRecord.h"
#include "ViewerFeed.h"
#include "ViewerLink.h"

#include <QtTest>

#include <algorithm>

namespace {

struct ModelLink : ViewerLink
{
    double bytesPerMs = 1500 / 8.0;
    bool reading = true;
    qint64 unsentBytes = 0; // in the simulator, for the cap
    double backlog = 0, handed = 0;
    int frames = 0, keyFrames = 0;

    bool open() const override { return true; }
    qint64 unsent() const override { return unsentBytes; }
    SocketQueue kernel() const override { return SocketQueue{qint64(backlog), 0}; }
    qint64 handedToKernel() const override { return qint64(handed); }
    void write(const std::uint8_t *, std::size_t head, const std::uint8_t *body,
               std::size_t size) override
    {
        backlog += double(head + size);
        handed += double(head + size);
        ++frames;
        keyFrames += body[0] == 1 ? 1 : 0;
    }
    void step() { backlog = reading ? std::max(0.0, backlog - bytesPerMs) : backlog; }
};

struct FakeDisplay : FeedHost
{
    PatienceRecord record;
    int keyRequests = 0;
    void paceChanged() override {}
    void requestKeyFrame() override { ++keyRequests; }
    quint64 skipped() const override { return 0; }
    PatienceRecord &patience() override { return record; }
};

EncodedPicture picture(bool key, std::size_t bytes = 20000)
{
    EncodedPicture p;
    p.bytes.assign(bytes, 0);
    p.bytes[0] = key ? 1 : 0;
    p.keyFrame = key;
    return p;
}

// A viewer on its own link, with the time the test gives it.
struct Viewer
{
    Viewer(FakeDisplay &display, const QString &address)
        : display(display),
          feed(link, display, QHostAddress(address), true, [](const QString &, bool) {})
    {
        feed.setClock([this] { return now; });
        feed.setStream(1, 2);
    }
    // Pictures as the encoder makes them: within the viewer's limit, none
    // while it holds. Returns the ms it held the stream.
    int run(int ms)
    {
        int held = 0;
        for (const qint64 end = now + ms; now < end; ++now) {
            link.step();
            const qint64 limit = feed.rate();
            if (now % 40 == 0 && !feed.holds()) {
                const bool key = keysMade < display.keyRequests + 1;
                keysMade += key ? 1 : 0;
                feed.offer(picture(key, limit ? std::size_t(limit / 8 / 25) : 20000));
            }
            if (now % 10 == 0)
                feed.look();
            held += feed.holds() ? 1 : 0;
        }
        return held;
    }
    // Reads normally, then stops reading: the ms it holds the others.
    int heldWhenItStopsReading()
    {
        feed.start();
        keysMade = display.keyRequests; // a joining viewer brings a keyframe
        link.reading = true;
        run(2000);
        link.reading = false;
        const int held = run(3000);
        feed.stop();
        link.reading = true;
        run(1000); // drains
        return held;
    }
    FakeDisplay &display;
    ModelLink link;
    ViewerFeed feed;
    qint64 now = 0;
    int keysMade = 0;
};

} // namespace

class TestViewerFeed : public QObject
{
    Q_OBJECT
private slots:
    void patienceBelongsToTheClient_data();
    void patienceBelongsToTheClient();
    void startsOnAKeyAndLosesWholeRuns();
};

void TestViewerFeed::patienceBelongsToTheClient_data()
{
    QTest::addColumn<bool>("sameConnection");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("shortPatience");
    QTest::newRow("its next play") << true << "127.0.0.1" << true;
    QTest::newRow("its next connection") << false << "127.0.0.1" << true;
    QTest::newRow("another client") << false << "127.0.0.2" << false;
}

// A client that stops reading holds every viewer back for the full
// patience once; after that, whether it plays again or reconnects, for the
// short one. Another client keeps the full patience.
void TestViewerFeed::patienceBelongsToTheClient()
{
    QFETCH(bool, sameConnection);
    QFETCH(QString, address);
    QFETCH(bool, shortPatience);
    FakeDisplay display;
    Viewer first(display, "127.0.0.1");
    const int heldFirst = first.heldWhenItStopsReading();
    QVERIFY2(heldFirst >= SendPacer::kStallMs - 100, qPrintable(QString::number(heldFirst)));
    Viewer other(display, address);
    other.now = first.now;
    Viewer &next = sameConnection ? first : other;
    const int held = next.heldWhenItStopsReading();
    qInfo("held %d ms the first time, %d ms the next", heldFirst, held);
    if (shortPatience)
        QVERIFY2(held <= SendPacer::kShortPatienceMs + 50, qPrintable(QString::number(held)));
    else
        QVERIFY2(held >= SendPacer::kStallMs - 100, qPrintable(QString::number(held)));
    // Forgotten after a while.
    next.now += PatienceRecord::kRememberMs;
    QVERIFY(next.heldWhenItStopsReading() >= SendPacer::kStallMs - 100);
}

// A viewer starts on a keyframe; a loss (before the feed, or the
// connection over its cap) drops up to the next keyframe, which it asks for
// once drained.
void TestViewerFeed::startsOnAKeyAndLosesWholeRuns()
{
    FakeDisplay display;
    ModelLink link;
    ViewerFeed feed(link, display, QHostAddress::LocalHost, true, [](const QString &, bool) {});
    feed.setStream(1, 2);
    feed.start();
    struct Step
    {
        const char *what;
        bool key;
        qint64 unsent;
        bool lose;
        int frames; // written so far
    };
    const Step steps[] = {
        {"before any keyframe", false, 0, false, 0},
        {"the first keyframe", true, 0, false, 1},
        {"after it", false, 0, false, 2},
        {"lost on the way", false, 0, true, 2},
        {"still waiting", false, 0, false, 2},
        {"the next keyframe", true, 0, false, 3},
        {"over the cap", false, ViewerFeed::kMaxQueuedMedia + 1, false, 3},
        {"drained, no key", false, 0, false, 3},
        {"a keyframe again", true, 0, false, 4},
    };
    for (const Step &s : steps) {
        link.unsentBytes = s.unsent;
        link.backlog = 0;
        if (s.lose)
            feed.lose();
        feed.offer(picture(s.key, 100));
        feed.look();
        QVERIFY2(link.frames == s.frames, s.what);
    }
    QVERIFY(display.keyRequests >= 1);
    feed.stop();
    feed.offer(picture(true, 100));
    QCOMPARE(link.frames, 4);
}

QTEST_GUILESS_MAIN(TestViewerFeed)
#include "tst_viewerfeed.moc"
