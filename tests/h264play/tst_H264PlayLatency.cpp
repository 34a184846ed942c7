// Measures, for a 1920x1080 stream fed at 25 frames a second one access
// unit at a time, how long decoding, conversion and painting take from the
// moment a frame's last byte is handed over. Prints the figures; fails only
// when they are far beyond anything usable.

#include "PlaySdk.h"
#include "TestFrame.h"
#include "TestStream.h"

#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {
constexpr int kFrames = 50;

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

double worst(const QVector<double> &v)
{
    return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end());
}
} // namespace

class TestH264PlayLatency : public QObject
{
    Q_OBJECT

private slots:
    void measuresDecodeAndDrawTimes();
};

void TestH264PlayLatency::measuresDecodeAndDrawTimes()
{
    PlaySdk sdk;
    QString error;
    QVERIFY2(sdk.load(error), qPrintable(error));
    const QByteArray stream = TestStream::encode("testsrc2=size=1920x1080:rate=25", kFrames, 0,
                                                 "aud=1:tune=zerolatency", 50);
    const QVector<int> aud = TestStream::delimiters(stream);
    QCOMPARE(aud.size(), kFrames);

    QVector<TvPlayFrameTimes> times;
    sdk.setObserver(
        0,
        [](void *user, const TvPlayFrameTimes *t) {
            static_cast<QVector<TvPlayFrameTimes> *>(user)->append(*t);
        },
        &times);
    TestFrame frame(QSize(1280, 720));
    QVERIFY(frame.showAndWait());
    QVERIFY(sdk.start(&frame));
    int next = 0;
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    connect(&pace, &QTimer::timeout, [&] {
        const int from = next == 0 ? 0 : aud[next] + 6;
        const QByteArray unit = next + 1 < kFrames ? stream.mid(from, aud[next + 1] + 6 - from)
                                                   : stream.mid(from) + TestStream::delimiter();
        sdk.feed(unit);
        if (++next == kFrames)
            pace.stop();
    });
    pace.start(40);
    QTRY_VERIFY_WITH_TIMEOUT(next == kFrames && sdk.stats().framesDecoded == kFrames, 20000);
    QTRY_VERIFY(!times.isEmpty() && times.last().width == 1920);
    sdk.finish();
    sdk.setObserver(0, nullptr, nullptr);

    QVector<double> decode, convert, paint, total;
    for (const TvPlayFrameTimes &t : times) {
        decode.append((t.decodedNs - t.inputNs) / 1e6);
        convert.append((t.convertedNs - t.decodedNs) / 1e6);
        paint.append((t.paintedNs - t.convertedNs) / 1e6);
        total.append((t.paintedNs - t.inputNs) / 1e6);
    }
    qInfo("%d of %d frames painted at 1280x720", int(times.size()), kFrames);
    qInfo("last byte to decoded (1920x1080): median %.2f ms, worst %.2f ms", median(decode),
          worst(decode));
    qInfo("conversion to 1280x720:          median %.2f ms, worst %.2f ms", median(convert),
          worst(convert));
    qInfo("converted to painted:            median %.2f ms, worst %.2f ms", median(paint),
          worst(paint));
    qInfo("last byte to painted:            median %.2f ms, worst %.2f ms", median(total),
          worst(total));
    QVERIFY(times.size() >= kFrames * 9 / 10);
}

QTEST_MAIN(TestH264PlayLatency)
#include "tst_H264PlayLatency.moc"
