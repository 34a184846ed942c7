// The simulator's stream against viewers behind slow paths, over loopback:
// a reader that takes a fixed number of bytes a second through a small
// receive buffer stands for the link.
#include "HostilePeer.h"
#include "Messages.h"
#include "QuietSim.h"
#include "WireFormat.h"

#include <QRegularExpression>
#include <QtTest>

#include <thread>

namespace {

bool startSim(QuietSim &sim, const QStringList &extra, const QString &resolution = "1280x720")
{
    return sim.start(QStringList{"--resolution", resolution} + extra);
}

bool play(HostilePeer &peer, quint16 port)
{
    if (!peer.connectTo(port) || peer.login("admin", "") != 0)
        return false;
    const std::uint32_t sequence = peer.nextSequence();
    peer.send(HostilePeer::frame(tvwire::MsgRealPlayRequest, peer.session(), sequence,
                                 tvwire::encodeBody(tvwire::RealPlayRequest{8, 0, 0})));
    tvwire::Frame f;
    while (peer.readFrame(f, 3000) == 1) {
        if (f.type == tvwire::MsgRealPlayReply && f.sequence == sequence)
            return true;
    }
    return false;
}

// Reads media for ms; the keys and units seen, and when the first came.
struct Reading
{
    int units = 0, keys = 0;
    qint64 firstMs = -1;
    bool firstIsKey = false;
};

Reading readMedia(HostilePeer &peer, int ms)
{
    Reading r;
    QElapsedTimer clock;
    clock.start();
    tvwire::Frame f;
    tvwire::Media media;
    while (clock.elapsed() < ms && peer.readFrame(f, int(ms - clock.elapsed())) == 1) {
        if (f.type != tvwire::MsgMedia || !tvwire::decodeBody(f.body, media))
            continue;
        if (r.units++ == 0) {
            r.firstMs = clock.elapsed();
            r.firstIsKey = media.kind == tvwire::MediaVideoKey;
        }
        r.keys += media.kind == tvwire::MediaVideoKey;
    }
    return r;
}

// Ends the real play and returns the figures of the line that ends it.
QString stopPlay(HostilePeer &peer, QuietSim &sim)
{
    peer.send(HostilePeer::frame(tvwire::MsgStopRealPlay, peer.session(), peer.nextSequence(),
                                 tvwire::encodeBody(tvwire::StreamRef{0})));
    peer.close();
    const QRegularExpression stopped("real play stopped after .*");
    QString line;
    QDeadlineTimer deadline(5000);
    while (line.isEmpty() && !deadline.hasExpired()) {
        line = stopped.match(QString::fromUtf8(sim.log())).captured(0);
        QThread::msleep(20); // the log is a file another process writes
    }
    return line;
}

} // namespace

class TestSimServerPacing : public QObject
{
    Q_OBJECT
private slots:
    void slowReaderWaitsLittle_data();
    void slowReaderWaitsLittle();
    void fastReaderSkipsNothing();
};

// A reply waits behind the media queued before it: its round trip is the
// queue's length in time. Adaptive, that stays near the budget and pictures
// are skipped; the fixed-rate stream (the control) queues for seconds. A
// viewer that joins meanwhile still gets its IDR at once.
void TestSimServerPacing::slowReaderWaitsLittle_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("adapts");
    QTest::newRow("adaptive") << QStringList() << true;
    QTest::newRow("fixed rate") << QStringList{"--fixed-rate"} << false;
}

void TestSimServerPacing::slowReaderWaitsLittle()
{
    QFETCH(QStringList, options);
    QFETCH(bool, adapts);
    QuietSim sim;
    QVERIFY(startSim(sim, options));
    HostilePeer slow;
    slow.setReceiveBuffer(8 * 1024);
    QVERIFY(play(slow, sim.port()));
    slow.setReadRate(100 * 1000); // 800 kbit/s
    // The first IDR drains, then the path is known.
    readMedia(slow, 2000);
    double worst = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 4000 && worst < 3000)
        worst = qMax(worst, slow.keepAliveMs(10000));
    qInfo("slowest reply behind the media at 800 kbit/s: %.0f ms", worst);
    if (!adapts) {
        QVERIFY2(worst > 1000, qPrintable(QString::number(worst)));
        return;
    }
    // The budget and one picture, with room for a shared machine.
    QVERIFY2(worst > 0 && worst < 400, sim.log().constData());
    // the slow viewer reads on meanwhile: one that stops is dropped, not waited for
    std::thread reader([&] { readMedia(slow, 3000); });
    HostilePeer late;
    const bool playing = play(late, sim.port());
    const Reading joined = readMedia(late, 2000);
    reader.join();
    QVERIFY(playing);
    QVERIFY2(joined.firstIsKey && joined.firstMs < 1000,
             qPrintable(QString::number(joined.firstMs)));
    const QString figures = stopPlay(slow, sim);
    const QRegularExpressionMatch m =
        QRegularExpression("(\\d+) dropped in \\d+ runs, (\\d+) pictures skipped").match(figures);
    QVERIFY2(m.hasMatch(), qPrintable(figures));
    QCOMPARE(m.captured(1).toInt(), 0); // skipped before encoding, never dropped after
    QVERIFY2(m.captured(2).toInt() > 10, qPrintable(figures));
}

// Nothing changes for a viewer that keeps up: pictures at the frame rate
// (as far as a shared machine lets the encoder keep it), none skipped, IDRs
// on the fixed stream's cadence.
void TestSimServerPacing::fastReaderSkipsNothing()
{
    QuietSim sim;
    QVERIFY(startSim(sim, {}, "640x360"));
    HostilePeer fast;
    QVERIFY(play(fast, sim.port()));
    const Reading r = readMedia(fast, 3000);
    QVERIFY2(r.units >= 50, qPrintable(QString::number(r.units)));
    // 3 s of a stream with an IDR every 2 s
    QVERIFY2(r.keys >= 1 && r.keys <= 2, qPrintable(QString::number(r.keys)));
    const QString figures = stopPlay(fast, sim);
    QVERIFY2(figures.contains(" 0 dropped") && figures.contains(" 0 pictures skipped"),
             qPrintable(figures));
}

QTEST_GUILESS_MAIN(TestSimServerPacing)
#include "tst_simserver_pacing.moc"
