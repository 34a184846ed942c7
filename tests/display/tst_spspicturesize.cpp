// The picture size read from sequence parameter sets that libx264 wrote
// (4:2:0, 4:2:2 and 4:4:4, with and without cropping), and from hostile
// ones: cut short, with runaway codes, absurd sizes, or none near the start.
#include "SpsPictureSize.h"

#include <QSize>
#include <QTest>

namespace {
const QByteArray kStart("\x00\x00\x00\x01", 4);

QByteArray bytes(std::initializer_list<unsigned char> list)
{
    return QByteArray(reinterpret_cast<const char *>(list.begin()), int(list.size()));
}

// Baseline profile, 1920x1080: 68 macroblock rows cropped by 8 lines.
const QByteArray kSps1080 =
    bytes({0x67, 0x42, 0xc0, 0x28, 0xda, 0x01, 0xe0, 0x08, 0x9f, 0x97, 0x01, 0x10, 0x00,
           0x00, 0x03, 0x00, 0x10, 0x00, 0x00, 0x03, 0x03, 0x20, 0xf1, 0x83, 0x2a});
// High profile, 1366x768: cropped by 10 columns.
const QByteArray kSps1366 =
    bytes({0x67, 0x64, 0x00, 0x20, 0xac, 0xd9, 0x40, 0x56, 0x06, 0x1e, 0x6f, 0x01, 0x10, 0x00,
           0x00, 0x03, 0x00, 0x10, 0x00, 0x00, 0x03, 0x03, 0x20, 0xf1, 0x83, 0x19, 0x60});
// High 4:4:4, 800x600: crop units of one line.
const QByteArray kSps444 =
    bytes({0x67, 0xf4, 0x00, 0x1f, 0x91, 0x96, 0x80, 0xc8, 0x13, 0x7e, 0x27, 0x01, 0x10,
           0x00, 0x00, 0x03, 0x00, 0x10, 0x00, 0x00, 0x03, 0x03, 0x20, 0xf1, 0x83, 0x2a});
// High 4:2:2, 1280x1024.
const QByteArray kSps422 =
    bytes({0x67, 0x7a, 0x00, 0x20, 0xbc, 0xd9, 0x40, 0x50, 0x02, 0x06, 0xc0, 0x44, 0x00,
           0x00, 0x03, 0x00, 0x04, 0x00, 0x00, 0x03, 0x00, 0xc8, 0x3c, 0x60, 0xc6, 0x58});
} // namespace

class TestSpsPictureSize : public QObject
{
    Q_OBJECT
private slots:
    void findsTheSize_data();
    void findsTheSize();
    void everyCutIsRefused();
};

void TestSpsPictureSize::findsTheSize_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QSize>("size"); // empty: none found
    const QByteArray aud = kStart + bytes({0x09, 0xf0});
    QTest::newRow("1920x1080") << kStart + kSps1080 << QSize(1920, 1080);
    QTest::newRow("1366x768") << kStart + kSps1366 << QSize(1366, 768);
    QTest::newRow("4:4:4") << kStart + kSps444 << QSize(800, 600);
    QTest::newRow("4:2:2") << kStart + kSps422 << QSize(1280, 1024);
    QTest::newRow("after a delimiter") << aud + kStart + kSps1080 << QSize(1920, 1080);
    QTest::newRow("three-byte start")
        << QByteArray("\x00\x00\x01", 3) + kSps1366 << QSize(1366, 768);
    QTest::newRow("slice only") << kStart + bytes({0x65, 0x88, 0x84}) << QSize();
    QTest::newRow("past the scan") << QByteArray(64, '\x55') + kStart + kSps1080 << QSize();
    QTest::newRow("empty") << QByteArray() << QSize();
    // Leading zeros without end: no 2^32 loop, no shift past 31.
    QTest::newRow("runaway code") << kStart + bytes({0x67, 0x42, 0, 0x28}) + QByteArray(40, '\0')
                                  << QSize();
    // One macroblock, cropped by 32 columns.
    QTest::newRow("crop past the picture")
        << kStart + bytes({0x67, 0x42, 0, 0x28, 0xfb, 0xe1, 0x1f}) << QSize();
    // 4096 macroblocks wide: beyond any display.
    QTest::newRow("absurd width") << kStart + bytes({0x67, 0x42, 0, 0x28, 0xf8, 0, 0x04, 0, 0x10})
                                  << QSize();
}

void TestSpsPictureSize::findsTheSize()
{
    QFETCH(QByteArray, block);
    QFETCH(QSize, size);
    SpsPictureSize::Size found;
    const bool bFound = SpsPictureSize::find(reinterpret_cast<const unsigned char *>(block.data()),
                                             size_t(block.size()), found);
    QCOMPARE(bFound, !size.isEmpty());
    if (bFound)
        QCOMPARE(QSize(found.nWidth, found.nHeight), size);
}

// A set cut short never reads past the cut (the sanitizer builds watch) and
// never yields a wrong size: nothing until the cropping fields are in.
void TestSpsPictureSize::everyCutIsRefused()
{
    for (const QByteArray &sps : {kSps1080, kSps1366, kSps444, kSps422}) {
        SpsPictureSize::Size whole;
        const auto *pWhole = reinterpret_cast<const unsigned char *>(sps.data());
        QVERIFY(SpsPictureSize::parse(pWhole, size_t(sps.size()), whole));
        bool bFound = false;
        for (int nCut = 0; nCut <= sps.size(); ++nCut) {
            QByteArray cut = sps.left(nCut); // its own buffer, so a read past it shows
            SpsPictureSize::Size found;
            const bool bNow = SpsPictureSize::parse(
                reinterpret_cast<const unsigned char *>(cut.data()), size_t(nCut), found);
            QVERIFY(bNow || !bFound);
            bFound = bNow;
            if (bNow)
                QCOMPARE(QSize(found.nWidth, found.nHeight), QSize(whole.nWidth, whole.nHeight));
        }
        QVERIFY(bFound);
    }
}

QTEST_GUILESS_MAIN(TestSpsPictureSize)
#include "tst_spspicturesize.moc"
