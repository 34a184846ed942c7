// Damaged and changing streams, and input that outruns the decoder.

#include "PlaySdk.h"
#include "SequenceGate.h"
#include "SequenceWatch.h"
#include "TestFrame.h"
#include "TestStream.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
constexpr double kTolerance = 3.0;

int g_overflowWarnings = 0;
QtMessageHandler g_previousHandler = nullptr;

void countOverflowWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.contains("stream buffer"))
        ++g_overflowWarnings;
    else
        g_previousHandler(type, context, text);
}

QByteArray garbage(QRandomGenerator &rng, int size)
{
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = char(rng.bounded(256));
    // Start codes followed by random headers, so the parser and the decoder
    // see bogus slices and parameter sets, not only noise.
    for (int i = 0; i + 8 < size; i += 1 + int(rng.bounded(600)))
        bytes.replace(i, 3, QByteArray("\x00\x00\x01", 3));
    return bytes;
}
} // namespace

class TestH264PlayRobust : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { m_sdk.finish(); }
    void recoversFromGarbageAndTruncatedFrames();
    void followsAResolutionChange();
    void keepsUpWhenTheStreamStopsReordering();
    void boundsTheBufferUnderAStalledDecoder();
    void dropsAUnitLongerThanAnyPicture();
    void refusesWhatIsNotOpen();
    void survivesTheFrameGoingFirst();
    void refusesPicturesTooLarge_data();
    void refusesPicturesTooLarge();
    void followsTheLastSetOfAUnit_data();
    void followsTheLastSetOfAUnit();
    void firstSetAfterOtherUnitsStartsASequence();
    void newSequenceOnlyWhenTheShapeChanges_data();
    void newSequenceOnlyWhenTheShapeChanges();
    void rationsFreshDecoders_data();
    void rationsFreshDecoders();

private:
    PlaySdk m_sdk;
};

void TestH264PlayRobust::initTestCase()
{
    QString error;
    QVERIFY2(m_sdk.load(error), qPrintable(error));
    TestStream::quietDecoderLog();
}

// Noise before the stream, then access units cut short: whatever the
// decoder makes of the damage, the next keyframe brings the exact pictures
// back.
void TestH264PlayRobust::recoversFromGarbageAndTruncatedFrames()
{
    const QByteArray stream =
        TestStream::encode("testsrc2=size=1280x1024:rate=25", 12, 0, "aud=1", 6);
    const QVector<int> aud = TestStream::delimiters(stream);
    const QVector<QImage> expected = TestStream::reference(stream);
    QCOMPARE(aud.size(), 12);

    TestFrame frame(QSize(640, 512));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    QRandomGenerator rng(11);
    m_sdk.feedRandomly(garbage(rng, 300000), rng);
    // Frames 0-5 with every other one truncated; 6 is the next keyframe.
    for (int k = 0; k < 6; ++k) {
        const int length = aud[k + 1] - aud[k];
        m_sdk.feedRandomly(stream.mid(aud[k], k % 2 ? length / 3 : length), rng);
    }
    m_sdk.feedRandomly(garbage(rng, 5000), rng);
    m_sdk.feedRandomly(stream.mid(aud[6]) + TestStream::delimiter(), rng);
    QTRY_VERIFY(TestStream::difference(frame.grab().toImage(), expected.last()) < kTolerance);
    QCOMPARE(m_sdk.stats().width, 1280);
    m_sdk.finish();
}

void TestH264PlayRobust::followsAResolutionChange()
{
    const QByteArray large = TestStream::encode("testsrc2=size=1920x1080:rate=25", 5, 0);
    const QByteArray small = TestStream::encode("testsrc2=size=1280x1024:rate=25", 5, 2);
    const QVector<QImage> expected = TestStream::reference(small);
    QVector<QSize> sizes;
    m_sdk.setObserver(
        0,
        [](void *user, const TvPlayFrameTimes *t) {
            auto *seen = static_cast<QVector<QSize> *>(user);
            const QSize s(t->width, t->height);
            if (seen->isEmpty() || seen->last() != s)
                seen->append(s);
        },
        &sizes);
    TestFrame frame(QSize(800, 450));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    QRandomGenerator rng(12);
    m_sdk.feedRandomly(large + small + TestStream::delimiter(), rng);
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(5 + expected.size()));
    QTRY_VERIFY(TestStream::difference(frame.grab().toImage(), expected.last()) < kTolerance);
    QCOMPARE(m_sdk.stats().height, 1024);
    QCOMPARE(qint64(m_sdk.stats().unitsDropped), qint64(0));
    QCOMPARE(sizes.first(), QSize(1920, 1080));
    QCOMPARE(sizes.last(), QSize(1280, 1024));
    m_sdk.finish();
    m_sdk.setObserver(0, nullptr, nullptr);
}

// A stream with B-frames needs a reorder buffer; when the recorder switches
// to one without, the pictures must come out as they arrive again, not a
// buffer's depth late and the last ones never.
void TestH264PlayRobust::keepsUpWhenTheStreamStopsReordering()
{
    const QByteArray reordered = TestStream::encode("testsrc2=size=640x480:rate=25", 6, 2);
    const QByteArray direct = TestStream::encode("testsrc2=size=640x480:rate=25", 6, 0);
    const QVector<QImage> expected = TestStream::reference(direct);
    QCOMPARE(expected.size(), 6);
    TestFrame frame(QSize(640, 480));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    m_sdk.feed(reordered + direct + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(12));
    QTRY_VERIFY(TestStream::difference(frame.grab().toImage(), expected.last()) < kTolerance);
    m_sdk.finish();
}

// While the decoder is held, input well beyond the buffer's size is
// dropped up to a keyframe, the buffer never holds more than its size, and
// each overflow is reported once. Released, the decoder starts at that
// keyframe and ends on the exact last picture.
void TestH264PlayRobust::boundsTheBufferUnderAStalledDecoder()
{
    const QByteArray stream =
        TestStream::encode("testsrc2=size=1920x1080:rate=25", 25, 0, QString(), 10);
    const QVector<QImage> expected = TestStream::reference(stream);
    g_overflowWarnings = 0;
    g_previousHandler = qInstallMessageHandler(countOverflowWarnings);

    TestFrame frame(QSize(640, 360));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    QVERIFY(m_sdk.setPaused(0, 1));
    QRandomGenerator rng(13);
    qint64 fed = 0;
    std::int64_t mostBuffered = 0;
    while (fed < 6 * qint64(tvsdk::kPlayStreamBufferSize)) {
        m_sdk.feedRandomly(stream, rng);
        fed += stream.size();
        mostBuffered = qMax(mostBuffered, m_sdk.stats().bufferedBytes);
    }
    const TvPlayStats held = m_sdk.stats();
    QVERIFY(mostBuffered <= tvsdk::kPlayStreamBufferSize);
    QCOMPARE(qint64(held.bufferCapacity), qint64(tvsdk::kPlayStreamBufferSize));
    QVERIFY(held.dropEpisodes >= 1);
    QVERIFY(held.droppedBytes >= fed - tvsdk::kPlayStreamBufferSize);
    QCOMPARE(qint64(g_overflowWarnings), qint64(held.dropEpisodes));
    QCOMPARE(qint64(held.framesDecoded), qint64(0));

    QVERIFY(m_sdk.setPaused(0, 0));
    m_sdk.feed(stream + TestStream::delimiter());
    QTRY_VERIFY(TestStream::difference(frame.grab().toImage(), expected.last()) < kTolerance);
    QCOMPARE(qint64(m_sdk.stats().dropEpisodes), qint64(held.dropEpisodes));
    qInstallMessageHandler(g_previousHandler);
    m_sdk.finish();
}

// A recorder that sends no start codes must not make the parser hold all it
// sends; the picture comes back with the next keyframe.
void TestH264PlayRobust::dropsAUnitLongerThanAnyPicture()
{
    const QByteArray stream = TestStream::encode("testsrc2=size=640x480:rate=25", 4, 0, "aud=1", 4);
    TestFrame frame(QSize(640, 480));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    m_sdk.feed(stream + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(4));
    const qint64 chunk = 1 << 20, sent = 40 * chunk;
    for (qint64 n = 0; n < sent; n += chunk) {
        m_sdk.feed(QByteArray(int(chunk), '\xff'));
        QTRY_COMPARE(qint64(m_sdk.stats().bufferedBytes), qint64(0));
    }
    const TvPlayStats s = m_sdk.stats();
    QCOMPARE(qint64(s.droppedBytes), qint64(0)); // the decoder kept up: it saw every byte
    QVERIFY2(s.overlongBytes >= sent - 2 * (16 << 20),
             qPrintable(QString::number(s.overlongBytes)));
    m_sdk.feed(QByteArray("\x00\x00\x01", 3) + stream + TestStream::delimiter());
    QTRY_VERIFY(m_sdk.stats().framesDecoded >= 8);
    m_sdk.finish();
}

void TestH264PlayRobust::refusesWhatIsNotOpen()
{
    unsigned char header = 0, byte = 0;
    QCOMPARE(m_sdk.open(-1, &header, 1, tvsdk::kPlayStreamBufferSize), 0);
    QCOMPARE(m_sdk.open(4, &header, 1, tvsdk::kPlayStreamBufferSize), 0);
    QCOMPARE(m_sdk.input(0, &byte, 1), 0);
    QVERIFY(m_sdk.open(0, &header, 1, tvsdk::kPlayStreamBufferSize) != 0);
    QCOMPARE(m_sdk.open(0, &header, 1, tvsdk::kPlayStreamBufferSize), 0);
    QTest::ignoreMessage(QtWarningMsg, "H264Play: no widget has the window handle given to play");
    QCOMPARE(m_sdk.play(0, reinterpret_cast<void *>(quintptr(0x7777))), 0);
    QCOMPARE(m_sdk.input(0, &byte, 1), 1);
    QCOMPARE(m_sdk.input(0, nullptr, 1), 0);
    m_sdk.finish();
    QCOMPARE(m_sdk.input(0, &byte, 1), 0);
    QCOMPARE(m_sdk.stop(0), 0);
    // A released port opens again.
    QVERIFY(m_sdk.open(0, &header, 1, 0) != 0);
    m_sdk.finish();
}

// A client may destroy its frame before stopping the stream.
void TestH264PlayRobust::survivesTheFrameGoingFirst()
{
    const QByteArray stream = TestStream::encode("testsrc2=size=1280x1024:rate=25", 6, 0);
    auto *frame = new TestFrame(QSize(320, 256));
    QVERIFY(frame->showAndWait());
    QVERIFY(m_sdk.start(frame));
    m_sdk.feed(stream.left(stream.size() / 2));
    QTRY_VERIFY(m_sdk.stats().framesPainted > 0);
    delete frame;
    m_sdk.feed(stream.mid(stream.size() / 2) + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(6));
    QCOMPARE(m_sdk.stop(0), 1);
}

void TestH264PlayRobust::refusesPicturesTooLarge_data()
{
    QTest::addColumn<QString>("size");
    QTest::newRow("too wide") << "8208x16";
    QTest::newRow("too tall") << "16x8208";
    QTest::newRow("too many pixels") << "7936x4480";
}

// A stream that asks for a picture beyond the limit is not decoded at all;
// the next one within it plays.
void TestH264PlayRobust::refusesPicturesTooLarge()
{
    QFETCH(QString, size);
    const QByteArray large = TestStream::encode("color=c=gray:rate=25:size=" + size, 2, 0);
    const QByteArray small = TestStream::encode("testsrc2=size=320x240:rate=25", 3, 0);
    QVERIFY(!large.isEmpty() && !small.isEmpty());
    TestFrame frame(QSize(320, 240));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    m_sdk.feed(large + small + TestStream::delimiter());
    QTRY_VERIFY(m_sdk.stats().framesDecoded >= 3);
    QTest::qWait(200);
    QCOMPARE(qint64(m_sdk.stats().framesDecoded), qint64(3));
    QCOMPARE(m_sdk.stats().width, 320);
    m_sdk.finish();
}

void TestH264PlayRobust::followsTheLastSetOfAUnit_data()
{
    QTest::addColumn<QByteArray>("between");
    QTest::newRow("sets only") << QByteArray();
    QTest::newRow("a data partition") << QByteArray("\x00\x00\x01\x04\x90", 5);
}

// A stale set for pictures beyond the limit, maybe with a unit that starts
// no picture, then the stream's own set in the same access unit: the
// pictures follow the later set and all play.
void TestH264PlayRobust::followsTheLastSetOfAUnit()
{
    QFETCH(QByteArray, between);
    const QByteArray large = TestStream::encode("color=c=gray:rate=25:size=8208x16", 1, 0);
    const QByteArray small = TestStream::encode("testsrc2=size=320x240:rate=25", 3, 0);
    const int sps = large.indexOf(QByteArray("\x00\x00\x01\x67", 4));
    const int end = large.indexOf(QByteArray("\x00\x00\x01", 3), sps + 3);
    QVERIFY(sps >= 0 && end > sps && small.startsWith(QByteArray("\x00\x00\x00\x01\x67", 5)));
    TestFrame frame(QSize(320, 240));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    m_sdk.feed(large.mid(sps, end - sps) + between + small + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(3)); // none before the fix
    QCOMPARE(m_sdk.stats().width, 320);
    m_sdk.finish();
}

// Junk without a readable set can leave the decoder holding pictures back;
// the stream's first set then starts afresh.
void TestH264PlayRobust::firstSetAfterOtherUnitsStartsASequence()
{
    const QByteArray stream = TestStream::encode("testsrc2=size=320x240:rate=25", 1, 0);
    const QByteArray slice("\x00\x00\x01\x01\x9a", 5);
    auto changes = [](SequenceWatch &watch, const QByteArray &unit) {
        return watch.changes(reinterpret_cast<const std::uint8_t *>(unit.constData()),
                             std::size_t(unit.size()));
    };
    SequenceWatch fresh, afterJunk;
    QVERIFY(!changes(fresh, stream));
    QVERIFY(!changes(afterJunk, slice));
    QVERIFY(changes(afterJunk, stream));
    QVERIFY(!changes(afterJunk, stream));
}

void TestH264PlayRobust::newSequenceOnlyWhenTheShapeChanges_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("bFrames");
    QTest::addColumn<int>("gop");
    QTest::addColumn<QString>("x264");
    QTest::addColumn<int>("rebuilds");
    QTest::addColumn<int>("drops");
    const QString same = "testsrc2=size=320x240:rate=25";
    // Units of the two streams alternate, each carrying its own set while
    // it is a keyframe: a fresh decoder per switch of shape while they last,
    // none for other fields. Alternating sizes spend the ration; then the
    // decoder keeps the size it has and the other one's units are dropped.
    QTest::newRow("another set id") << same << 0 << 1 << "sps-id=1" << 0 << 0;
    QTest::newRow("another frame rate")
        << "testsrc2=size=320x240:rate=30" << 0 << 1 << "" << 0 << 0;
    QTest::newRow("another size") << "testsrc2=size=352x288:rate=25" << 0 << 1 << "" << 4 << 2;
    QTest::newRow("another reorder depth") << same << 2 << 4 << "" << 2 << 0;
}

void TestH264PlayRobust::newSequenceOnlyWhenTheShapeChanges()
{
    QFETCH(QString, source);
    QFETCH(int, bFrames);
    QFETCH(int, gop);
    QFETCH(QString, x264);
    QFETCH(int, rebuilds);
    QFETCH(int, drops);
    const QString common = "aud=1:repeat-headers=1";
    const QByteArray streams[2] = {
        TestStream::encode("testsrc2=size=320x240:rate=25", 4, 0, common, 1),
        TestStream::encode(source, 4, bFrames, x264.isEmpty() ? common : common + ":" + x264, gop)};
    QVector<QByteArray> units[2];
    for (int s = 0; s < 2; ++s) {
        QVector<int> at = TestStream::delimiters(streams[s]);
        QCOMPARE(at.size(), 4);
        at.append(streams[s].size());
        for (int i = 0; i < 4; ++i)
            units[s].append(streams[s].mid(at[i], at[i + 1] - at[i]));
    }
    SequenceGate gate(8192, 8192L * 4320L);
    QMap<SequenceGate::Verdict, int> seen;
    std::int64_t now = 0;
    for (int i = 0; i < 4; ++i) {
        for (const auto &stream : units) {
            const QByteArray &unit = stream[i];
            now += 40000000;
            ++seen[gate.judge(reinterpret_cast<const std::uint8_t *>(unit.constData()),
                              std::size_t(unit.size()), now)];
        }
    }
    QCOMPARE(seen.value(SequenceGate::Verdict::Rebuild), rebuilds); // 7 before the ration
    QCOMPARE(seen.value(SequenceGate::Verdict::Drop), drops);
}

void TestH264PlayRobust::rationsFreshDecoders_data()
{
    // Units 40 ms apart: a, b, c are keyframes with the sets of three
    // picture sizes, L of one beyond the limit; p has b's sets before a
    // picture that is not a keyframe, '.' no sets; '|' is a pause of one
    // refill.
    // Verdicts: d decode, R fresh decoder first, x drop.
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("verdicts");
    const char *const rows[][3] = {
        {"one change of size, at once", "a..b..b.", "dddRdddd"},
        {"alternating sizes", "abababab", "dRRRRxdx"},
        {"settles on the new size", "ababab.b.|b.", "dRRRRxxxxRd"},
        {"one more per refill", "ababa|cab", "dRRRRRxx"},
        {"too large costs none", "aLaLaL.a", "dxdxdxxd"},
        {"sets without a keyframe cost none", "apapapab", "dxdxdxdR"},
        {"a new sequence starts at its keyframe", "ap.b.", "dxxRd"},
        {"junk before the first set", ".a.a", "dRdd"},
        {"first set too large", "L.a", "xxR"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
}

// The ration holds however the sizes alternate, and a stream that keeps to
// one size again is followed.
void TestH264PlayRobust::rationsFreshDecoders()
{
    QFETCH(QString, units);
    QFETCH(QString, verdicts);
    static const QMap<QChar, QByteArray> unitOf = [] {
        QMap<QChar, QByteArray> m;
        m['a'] = TestStream::encode("testsrc2=size=320x240:rate=25", 1, 0);
        m['b'] = TestStream::encode("testsrc2=size=352x288:rate=25", 1, 0);
        m['c'] = TestStream::encode("testsrc2=size=176x144:rate=25", 1, 0);
        m['L'] = TestStream::encode("color=c=gray:rate=25:size=8208x16", 1, 0);
        m['.'] = QByteArray("\x00\x00\x01\x01\x9a", 5);
        const int sps = m['b'].indexOf(QByteArray("\x00\x00\x01\x67", 4));
        m['p'] =
            m['b'].mid(sps, m['b'].indexOf(QByteArray("\x00\x00\x01", 3), sps + 3) - sps) + m['.'];
        return m;
    }();
    SequenceGate gate(8192, 8192L * 4320L);
    QString seen;
    std::int64_t now = 0;
    for (const QChar u : units) {
        if (u == '|') {
            now += SequenceGate::kRefillNs;
            continue;
        }
        now += 40000000;
        const QByteArray &unit = unitOf[u];
        QVERIFY(!unit.isEmpty());
        switch (gate.judge(reinterpret_cast<const std::uint8_t *>(unit.constData()),
                           std::size_t(unit.size()), now)) {
        case SequenceGate::Verdict::Decode:
            seen += 'd';
            break;
        case SequenceGate::Verdict::Rebuild:
            seen += 'R';
            break;
        case SequenceGate::Verdict::Drop:
            seen += 'x';
            break;
        }
    }
    QCOMPARE(seen, verdicts);
}

QTEST_MAIN(TestH264PlayRobust)
#include "tst_H264PlayRobust.moc"
