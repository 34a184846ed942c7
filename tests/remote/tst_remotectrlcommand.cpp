// The recorder parses these documents byte for byte, so every expectation
// here is written out by hand rather than computed.

#include <climits>

#include <QtTest>

#include "DeviceScaler.h"
#include "RemoteCtrlCommand.h"

namespace {

std::string doc(const char *p1, const char *p2, const char *msg)
{
    return std::string("{\n   \"P1\" : \"") + p1 + "\",\n   \"P2\" : \"" + p2 +
           "\",\n   \"msg\" : \"" + msg + "\"\n}\n";
}

} // namespace

class TestRemoteCtrlCommand : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void styledLayout();
    void eachMessageAndButton_data();
    void eachMessageAndButton();
    void coordinates_data();
    void coordinates();
    void moveParameter();
    void scaling_data();
    void scaling();
    void scalingRefusesEmptySizes();
};

void TestRemoteCtrlCommand::workedExample()
{
    const QPoint click = *DeviceScaler::toDevice({400, 300}, {800, 600}, {1920, 1080});
    QCOMPARE(click, QPoint(960, 540));

    const std::string press = RemoteCtrlCommand::eventCommand(1, 0x20008, 0, 960, 540);
    QCOMPARE(press, std::string("{\n"
                                "   \"P1\" : \"0x1\",\n"
                                "   \"P2\" : \"0x03c0021c\",\n"
                                "   \"msg\" : \"0x20008\"\n"
                                "}\n"));
    QCOMPARE(press.size(), std::size_t(66));
    QCOMPARE(RemoteCtrlCommand::eventCommand(1, 0x20009, 0, 960, 540),
             doc("0x1", "0x03c0021c", "0x20009"));

    const QPoint move = *DeviceScaler::toDevice({401, 300}, {800, 600}, {1920, 1080});
    QCOMPARE(move, QPoint(962, 540));
    QCOMPARE(RemoteCtrlCommand::moveCommand(1, 962, 540), doc("0x1", "0x03c2021c", "0x20006"));
    QCOMPARE(RemoteCtrlCommand::moveCommand(0, 962, 540), doc("0", "0x03c2021c", "0x20006"));

    const std::string away = RemoteCtrlCommand::eventCommand(1, 0x20007, 1, 960, 540);
    const std::string toward = RemoteCtrlCommand::eventCommand(1, 0x20007, -1, 960, 540);
    QCOMPARE(away, doc("0xffff0000", "0x03c0021c", "0x20007"));
    QCOMPARE(toward, doc("0x10000", "0x03c0021c", "0x20007"));
    QCOMPARE(away.size(), std::size_t(73));
    QCOMPARE(RemoteCtrlCommand::eventCommand(1, 0x20007, 0, 960, 540), toward);
}

void TestRemoteCtrlCommand::styledLayout()
{
    // Names sorted by byte (upper case first), three-space indent, " : ",
    // no comma after the last member, one trailing newline, and text escaped
    // rather than passed through raw.
    QCOMPARE(RemoteCtrlCommand::document("m", "a\"b", "c\\d"),
             std::string("{\n   \"P1\" : \"a\\\"b\",\n   \"P2\" : \"c\\\\d\",\n"
                         "   \"msg\" : \"m\"\n}\n"));
}

void TestRemoteCtrlCommand::eachMessageAndButton_data()
{
    QTest::addColumn<int>("keyType");
    QTest::addColumn<int>("nType");
    QTest::addColumn<QString>("expected");
    QTest::newRow("left down") << 1 << 0x20008 << doc("0x1", "0x00000000", "0x20008").c_str();
    QTest::newRow("left up") << 1 << 0x20009 << doc("0x1", "0x00000000", "0x20009").c_str();
    QTest::newRow("left dbl") << 1 << 0x2000a << doc("0x1", "0x00000000", "0x2000a").c_str();
    QTest::newRow("right down") << 2 << 0x2000b << doc("0x2", "0x00000000", "0x2000b").c_str();
    QTest::newRow("right up") << 2 << 0x2000c << doc("0x2", "0x00000000", "0x2000c").c_str();
    QTest::newRow("right dbl") << 2 << 0x2000d << doc("0x2", "0x00000000", "0x2000d").c_str();
}

void TestRemoteCtrlCommand::eachMessageAndButton()
{
    QFETCH(int, keyType);
    QFETCH(int, nType);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(RemoteCtrlCommand::eventCommand(keyType, nType, 0, 0, 0)),
             expected);
}

void TestRemoteCtrlCommand::coordinates_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("p2");
    QTest::newRow("origin") << 0 << 0 << "0x00000000";
    QTest::newRow("lower case") << 0xabc << 0xf << "0x0abc000f";
    QTest::newRow("four digits") << 0xffff << 0x1000 << "0xffff1000";
    QTest::newRow("wider in full") << 0x10000 << 3840 << "0x100000f00";
    QTest::newRow("int max") << INT_MAX << 1 << "0x7fffffff0001";
    QTest::newRow("x -1") << -1 << 540 << "0xffffffffffffffff021c";
    QTest::newRow("y -2") << 960 << -2 << "0x03c0fffffffffffffffe";
    QTest::newRow("int min") << INT_MIN << -300 << "0xffffffff80000000fffffffffffffed4";
}

void TestRemoteCtrlCommand::coordinates()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, p2);
    QCOMPARE(QString::fromStdString(RemoteCtrlCommand::hexPosition(x, y)), p2);
    QCOMPARE(QString::fromStdString(RemoteCtrlCommand::moveCommand(2, x, y)),
             QString::fromStdString(doc("0x2", p2.toStdString().c_str(), "0x20006")));
}

void TestRemoteCtrlCommand::moveParameter()
{
    QCOMPARE(RemoteCtrlCommand::heldButtonParam(0), std::string("0"));
    QCOMPARE(RemoteCtrlCommand::heldButtonParam(1), std::string("0x1"));
    QCOMPARE(RemoteCtrlCommand::heldButtonParam(2), std::string("0x2"));
    QCOMPARE(RemoteCtrlCommand::hexValue(0x2000d), std::string("0x2000d"));
}

void TestRemoteCtrlCommand::scaling_data()
{
    QTest::addColumn<QPoint>("frame");
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<QSize>("device");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("identity") << QPoint(17, 9) << QSize(640, 480) << QSize(640, 480)
                              << QPoint(17, 9);
    QTest::newRow("truncates") << QPoint(1, 1) << QSize(3, 3) << QSize(1280, 1024)
                               << QPoint(426, 341);
    // 1.0 / 49 * 49 is just below 1 in double precision: quotient first.
    QTest::newRow("quotient first")
        << QPoint(1, 98) << QSize(49, 49) << QSize(49, 49) << QPoint(0, 98);
    QTest::newRow("toward zero") << QPoint(-1, -3) << QSize(800, 600) << QSize(1920, 1080)
                                 << QPoint(-2, -5);
    QTest::newRow("not clamped") << QPoint(900, 700) << QSize(800, 600) << QSize(1920, 1080)
                                 << QPoint(2160, 1260);
    QTest::newRow("saturates") << QPoint(INT_MAX, INT_MIN) << QSize(1, 1) << QSize(4, 4)
                               << QPoint(INT_MAX, INT_MIN);
}

void TestRemoteCtrlCommand::scaling()
{
    QFETCH(QPoint, frame);
    QFETCH(QSize, frameSize);
    QFETCH(QSize, device);
    QFETCH(QPoint, expected);
    const auto scaled = DeviceScaler::toDevice(frame, frameSize, device);
    QVERIFY(scaled.has_value());
    QCOMPARE(*scaled, expected);
}

void TestRemoteCtrlCommand::scalingRefusesEmptySizes()
{
    for (const auto &[frameSize, device] : {std::pair<QSize, QSize>{{0, 600}, {1920, 1080}},
                                            {{800, 0}, {1920, 1080}},
                                            {{800, 600}, {0, 1080}},
                                            {{800, 600}, {1920, -1}}})
        QVERIFY(!DeviceScaler::toDevice({10, 10}, frameSize, device).has_value());
}

QTEST_APPLESS_MAIN(TestRemoteCtrlCommand)
#include "tst_remotectrlcommand.moc"
