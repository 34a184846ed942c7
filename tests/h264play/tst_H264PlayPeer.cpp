// Streams made by a real peer encoder (the ffmpeg tool with libx264) fed to
// the play library the way the device SDK hands them over, and the drawn
// picture compared with what libavcodec decodes from the same bytes.

#include "PlaySdk.h"
#include "TestFrame.h"
#include "TestStream.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
// Mean colour difference per channel allowed between the drawn picture and
// the expected one stretched by a different scaler.
constexpr double kTolerance = 3.0;
} // namespace

class TestH264PlayPeer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { m_sdk.finish(); }
    void drawsTheStreamCutAnywhere_data();
    void drawsTheStreamCutAnywhere();
    void drawsEachFrameOnItsLastByte();
    void showsKnownColoursStretchedToFill();
    void followsTheFrameAndLetsMouseThrough();

private:
    PlaySdk m_sdk;
};

void TestH264PlayPeer::initTestCase()
{
    QString error;
    QVERIFY2(m_sdk.load(error), qPrintable(error));
}

void TestH264PlayPeer::drawsTheStreamCutAnywhere_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("bFrames");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("1920x1080") << "1920x1080" << 0 << 1u;
    QTest::newRow("1920x1080 B-frames") << "1920x1080" << 3 << 2u;
    QTest::newRow("1280x1024") << "1280x1024" << 0 << 3u;
    QTest::newRow("1280x1024 B-frames") << "1280x1024" << 2 << 4u;
    QTest::newRow("1280x1024 other cuts") << "1280x1024" << 2 << 5u;
}

// The frame count and the last picture show that every access unit came
// through whole, wherever the blocks were cut.
void TestH264PlayPeer::drawsTheStreamCutAnywhere()
{
    QFETCH(QString, size);
    QFETCH(int, bFrames);
    QFETCH(quint32, seed);
    const QByteArray stream =
        TestStream::encode(QString("testsrc2=size=%1:rate=25").arg(size), 10, bFrames);
    QVERIFY(!stream.isEmpty());
    const QVector<QImage> expected = TestStream::reference(stream);
    QVERIFY(expected.size() >= 10 - bFrames);

    TestFrame frame(QSize(800, 600));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    QRandomGenerator rng(seed);
    m_sdk.feedRandomly(stream + TestStream::delimiter(), rng);
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(expected.size()));
    // All of it arrived at once, faster than it converts: none is skipped.
    QTRY_COMPARE(qint64(m_sdk.stats().framesConverted), qint64(expected.size()));
    QTRY_VERIFY(TestStream::difference(frame.grab().toImage(), expected.last()) < kTolerance);
    QCOMPARE(qint64(m_sdk.stats().droppedBytes), qint64(0));
    const QStringList dims = size.split('x');
    QCOMPARE(m_sdk.stats().width, dims[0].toInt());
    QCOMPARE(m_sdk.stats().height, dims[1].toInt());
    m_sdk.finish();
}

// A stream whose access units each end with the next one's delimiter: once
// a frame's last bytes are in, it is drawn without waiting for more input.
void TestH264PlayPeer::drawsEachFrameOnItsLastByte()
{
    const QByteArray stream =
        TestStream::encode("testsrc2=size=1920x1080:rate=25", 8, 0, "aud=1:tune=zerolatency");
    const QVector<int> aud = TestStream::delimiters(stream);
    const QVector<QImage> expected = TestStream::reference(stream);
    QCOMPARE(aud.size(), 8);
    QCOMPARE(expected.size(), 8);

    TestFrame frame(QSize(960, 540));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    QRandomGenerator rng(7);
    int fed = 0;
    for (int k = 0; k < 8; ++k) {
        const QByteArray next = k + 1 < aud.size() ? stream.mid(fed, aud[k + 1] + 6 - fed)
                                                   : stream.mid(fed) + TestStream::delimiter();
        m_sdk.feedRandomly(next, rng);
        fed += next.size();
        QTRY_COMPARE(qint64(m_sdk.stats().framesPainted), qint64(k + 1));
        const double drawn = TestStream::difference(frame.grab().toImage(), expected[k]);
        QVERIFY2(drawn < kTolerance, qPrintable(QString("frame %1: %2").arg(k).arg(drawn)));
        // Consecutive frames of the pattern differ by little more than the
        // tolerance: the drawn one must be nearer to its own.
        if (k > 0)
            QVERIFY(drawn < TestStream::difference(frame.grab().toImage(), expected[k - 1]));
    }
    m_sdk.finish();
}

// Independent of any reference decoder: the colour bars a pattern source
// draws, sampled in the middle of each bar, and the corners of a plain
// colour, which must reach the edges of a frame of another aspect ratio.
void TestH264PlayPeer::showsKnownColoursStretchedToFill()
{
    const QByteArray bars = TestStream::encode("smptebars=size=1280x720:rate=25", 3, 0);
    const QByteArray red = TestStream::encode("color=c=red:size=1280x1024:rate=25", 3, 0);
    TestFrame frame(QSize(700, 500));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    m_sdk.feed(bars + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(3));
    QTRY_VERIFY(m_sdk.stats().framesPainted > 0);
    const QRgb barColours[] = {qRgb(191, 191, 191), qRgb(191, 191, 0), qRgb(0, 191, 191),
                               qRgb(0, 191, 0),     qRgb(191, 0, 191), qRgb(191, 0, 0),
                               qRgb(0, 0, 191)};
    auto near = [](QRgb a, QRgb b) {
        return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 &&
               qAbs(qBlue(a) - qBlue(b)) < 24;
    };
    QImage shot = frame.grab().toImage();
    for (int i = 0; i < 7; ++i) {
        const QRgb got = shot.pixel(int((i + 0.5) * 700 / 7), 500 / 3);
        QVERIFY2(near(got, barColours[i]),
                 qPrintable(QString("bar %1: %2").arg(i).arg(got, 0, 16)));
    }
    m_sdk.feed(red + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(6));
    QTRY_VERIFY(qRed(frame.grab().toImage().pixel(350, 250)) > 200);
    shot = frame.grab().toImage();
    for (const QPoint &p : {QPoint(1, 1), QPoint(698, 1), QPoint(1, 498), QPoint(698, 498)})
        QVERIFY2(near(shot.pixel(p), qRgb(255, 0, 0)),
                 qPrintable(QString::number(shot.pixel(p), 16)));
    m_sdk.finish();
}

void TestH264PlayPeer::followsTheFrameAndLetsMouseThrough()
{
    const QByteArray stream = TestStream::encode("testsrc2=size=1280x1024:rate=25", 20, 0);
    const QVector<QImage> expected = TestStream::reference(stream);
    TestFrame frame(QSize(640, 480));
    QVERIFY(frame.showAndWait());
    QVERIFY(m_sdk.start(&frame));
    m_sdk.feed(stream.left(stream.size() / 2));
    QTRY_VERIFY(m_sdk.stats().framesPainted > 0);

    frame.resize(1000, 700);
    m_sdk.feed(stream.mid(stream.size() / 2) + TestStream::delimiter());
    QTRY_COMPARE(qint64(m_sdk.stats().framesDecoded), qint64(expected.size()));
    QTRY_VERIFY(TestStream::difference(frame.grab().toImage(), expected.last()) < kTolerance);
    QCOMPARE(frame.grab().size(), QSize(1000, 700));

    QVERIFY(frame.windowHandle());
    QTest::mousePress(frame.windowHandle(), Qt::LeftButton, {}, QPoint(500, 350));
    QTest::mouseRelease(frame.windowHandle(), Qt::LeftButton, {}, QPoint(500, 350));
    QCOMPARE(frame.presses(), 1);
    m_sdk.finish();
    // The surface is gone with the stream; the frame is left as it was.
    QCOMPARE(frame.findChildren<QWidget *>().size(), 0);
}

QTEST_MAIN(TestH264PlayPeer)
#include "tst_H264PlayPeer.moc"
