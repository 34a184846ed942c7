// The encoder as a decoder sees it: every picture comes out at once as one
// whole unit ending with a delimiter, key frames carry their headers, and
// the decoded picture is the one drawn.

#include "H264Encoder.h"
#include "H264TestDecoder.h"
#include "SimScreen.h"

#include <QtTest>

#include <algorithm>

namespace {

const QDateTime kClock(QDate(2026, 12, 8), QTime(14, 17, 3));

bool has(const std::vector<int> &types, int t)
{
    return std::find(types.begin(), types.end(), t) != types.end();
}

enum Nal
{
    Slice = 1,
    Idr = 5,
    Sps = 7,
    Pps = 8,
    Aud = 9
};

} // namespace

class TestH264Encoder : public QObject
{
    Q_OBJECT
private slots:
    void everyPictureComesOutAtOnce();
    void keyFramesCarryHeadersAndRefreshPeriodically();
    void decodedPictureMatchesTheDrawing();
    void refusesAPictureOfTheWrongSize();
    void adaptiveRateBoundsEveryPicture();
};

void TestH264Encoder::everyPictureComesOutAtOnce()
{
    SimScreen screen(QSize(640, 360));
    H264Encoder encoder(640, 360, 25);
    QVERIFY2(encoder.isOpen(), encoder.error().c_str());
    H264TestDecoder decoder;
    QImage image;
    std::vector<uint8_t> unit;
    for (int i = 0; i < 30; ++i) {
        screen.render(image, kClock, i * 40);
        bool key = false;
        QVERIFY(encoder.encode(image, i * 40, false, unit, key));
        QCOMPARE(key, i == 0);
        QVERIFY(H264TestDecoder::endsWithAud(unit.data(), unit.size()));
        // The delimiter closes this unit; none leads it, so units never hold two.
        const std::vector<int> types = H264TestDecoder::nalTypes(unit);
        QCOMPARE(std::count(types.begin(), types.end(), int(Aud)), 1L);
        QVERIFY2(!decoder.decode(unit).isNull(), "the decoder waited for more data");
    }
}

void TestH264Encoder::keyFramesCarryHeadersAndRefreshPeriodically()
{
    const int fps = 10;
    H264Encoder encoder(320, 240, fps);
    QImage image(320, 240, QImage::Format_RGB32);
    std::vector<uint8_t> unit;
    std::vector<int> keyAt;
    for (int i = 0; i < fps * H264Encoder::kRefreshSeconds * 2 + 1; ++i) {
        image.fill(qRgb(i * 5 % 256, 80, 200 - i));
        bool key = false;
        QVERIFY(encoder.encode(image, i * 100, i == 7, unit, key));
        const std::vector<int> types = H264TestDecoder::nalTypes(unit);
        QCOMPARE(has(types, Idr), key);
        QCOMPARE(has(types, Sps) && has(types, Pps), key);
        QCOMPARE(has(types, Slice), !key);
        if (key)
            keyAt.push_back(i);
    }
    QVERIFY(keyAt.size() >= 3);
    QCOMPARE(keyAt[0], 0);
    QCOMPARE(keyAt[1], 7); // forced
    for (size_t k = 1; k < keyAt.size(); ++k)
        QVERIFY(keyAt[k] - keyAt[k - 1] <= fps * H264Encoder::kRefreshSeconds);
}

void TestH264Encoder::decodedPictureMatchesTheDrawing()
{
    SimScreen screen(QSize(1920, 1080));
    // The menu open: small text is the hardest case for the encoder.
    screen.apply({ZT_MSG_LBUTTON_DOWN, 1, 60, 1050});
    screen.apply({ZT_MSG_LBUTTON_UP, 1, 60, 1050});
    H264Encoder encoder(1920, 1080, 25);
    H264TestDecoder decoder;
    QImage image;
    std::vector<uint8_t> unit;
    bool key = false;
    QImage decoded;
    for (int i = 0; i < 3; ++i) {
        screen.render(image, kClock, 1000 + i * 40);
        QVERIFY(encoder.encode(image, i * 40, false, unit, key));
        decoded = decoder.decode(unit);
    }
    QCOMPARE(decoded.size(), image.size());
    const double overall = H264TestDecoder::meanDifference(image, decoded);
    qInfo("mean difference after encoding: %.2f of 255", overall);
    QVERIFY(overall < 4.0);
    // No region is far off: the encoder keeps the layout where it was drawn.
    for (int y = 0; y < 1080; y += 270)
        for (int x = 0; x < 1920; x += 480)
            QVERIFY(H264TestDecoder::meanDifference(image, decoded, QRect(x, y, 480, 270)) < 8.0);
}

void TestH264Encoder::refusesAPictureOfTheWrongSize()
{
    H264Encoder encoder(320, 240, 25);
    std::vector<uint8_t> unit{1, 2, 3};
    bool key = true;
    QImage small(160, 120, QImage::Format_RGB32);
    small.fill(Qt::black);
    QVERIFY(!encoder.encode(small, 0, false, unit, key));
    QVERIFY(unit.empty());
    QVERIFY(!key);
}

// The adaptive encoder: the fixed stream's IDR cadence until a rate is
// first set, then IDRs only when forced, however long it runs; every
// picture within the rate's VBV once a rate is set, the IDR that starts the
// limited stream included; and a decoder that starts on the forced IDR sees
// the drawing, sharp again one refresh sweep after the limit is lifted.
void TestH264Encoder::adaptiveRateBoundsEveryPicture()
{
    const int fps = 25, sweep = fps * H264Encoder::kSweepSeconds;
    SimScreen screen(QSize(1920, 1080));
    H264Encoder encoder(1920, 1080, fps, H264Encoder::RateControl::Adaptive);
    QVERIFY2(encoder.isOpen(), encoder.error().c_str());
    H264TestDecoder decoder;
    QImage image, decoded;
    std::vector<uint8_t> unit;
    const int64_t rate = 1000000;
    const size_t bound = size_t(H264Encoder::vbvBits(rate, fps) / 8);
    size_t unlimitedIdr = 0;
    int pts = 0;
    const int forcedAt = sweep + 5, liftedAt = 2 * sweep;
    for (int i = 0; i < liftedAt + sweep + 2; ++i, pts += 40) {
        // a menu opening and closing, the pointer always on the move
        screen.apply({ZT_MSG_MOUSE_MOVE, 0, 300 + i * 7 % 900, 200 + i * 3 % 600});
        if (i % 20 == 10)
            screen.apply({ZT_MSG_RBUTTON_UP, 2, 800, 300});
        screen.render(image, kClock.addSecs(i / fps), pts);
        if (i == sweep)
            encoder.setMaxRate(rate);
        if (i == liftedAt)
            encoder.setMaxRate(0);
        bool key = false;
        QVERIFY(encoder.encode(image, pts, i == forcedAt, unit, key));
        // Unlimited, IDRs come on the fixed stream's cadence; the first
        // limit starts a new stream, and from then on only when forced.
        const bool cadence = i < sweep && i % (fps * H264Encoder::kRefreshSeconds) == 0;
        QCOMPARE(key, cadence || i == sweep || i == forcedAt);
        QCOMPARE(encoder.limited(), i >= sweep);
        QCOMPARE(has(H264TestDecoder::nalTypes(unit), Idr), key);
        if (i == 0)
            unlimitedIdr = unit.size();
        if (i >= sweep && i < liftedAt)
            QVERIFY2(unit.size() <= bound * 3 / 2, qPrintable(QString::number(unit.size())));
        if (i == forcedAt)
            qInfo("IDR at 1920x1080: %zu bytes without a limit, %zu at %lld bit/s", unlimitedIdr,
                  unit.size(), static_cast<long long>(rate));
        if (i >= forcedAt)
            decoded = decoder.decode(unit);
        if (i > forcedAt)
            QVERIFY(!decoded.isNull());
    }
    QVERIFY(unlimitedIdr > bound * 2);
    // Made with a rate (a new size on a limited path): limited from its first IDR.
    H264Encoder atOnce(1920, 1080, fps, H264Encoder::RateControl::Adaptive, rate);
    bool key = false;
    QVERIFY(atOnce.limited() && atOnce.encode(image, 0, false, unit, key) && key);
    QVERIFY2(unit.size() <= bound * 3 / 2, qPrintable(QString::number(unit.size())));
    QVERIFY2(H264TestDecoder::meanDifference(image, decoded) < 4.0,
             qPrintable(QString::number(H264TestDecoder::meanDifference(image, decoded))));
}

QTEST_GUILESS_MAIN(TestH264Encoder)
#include "tst_h264encoder.moc"
