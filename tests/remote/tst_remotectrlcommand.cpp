// The recorder parses these documents byte for byte, so every expectation
// is written out by hand rather than computed.

#include <climits>

#include <QtTest>

#include "DeviceScaler.h"
#include "RemoteCtrlCommand.h"

namespace {

QString doc(const char *p1, const QString &p2, const char *msg)
{
    return QString("{\n   \"P1\" : \"%1\",\n   \"P2\" : \"%2\",\n   \"msg\" : \"%3\"\n}\n")
        .arg(p1, p2, msg);
}

QString command(int keyType, int nType, int nWheel, int x, int y)
{
    return QString::fromStdString(RemoteCtrlCommand::eventCommand(keyType, nType, nWheel, x, y));
}

QString move(int nHeldButton, int x, int y)
{
    return QString::fromStdString(RemoteCtrlCommand::moveCommand(nHeldButton, x, y));
}

QPoint scaled(QPoint p, QSize frame, QSize device)
{
    return DeviceScaler::toDevice(p, frame, device).value_or(QPoint(-999, -999));
}

} // namespace

class TestRemoteCtrlCommand : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void styledWriterLayout();
    void everyButtonMessage();
    void coordinates_data();
    void coordinates();
    void scaling();
};

void TestRemoteCtrlCommand::workedExample()
{
    const QSize frame(800, 600), device(1920, 1080);
    QCOMPARE(scaled({400, 300}, frame, device), QPoint(960, 540));
    const std::string press = RemoteCtrlCommand::eventCommand(1, 0x20008, 0, 960, 540);
    QCOMPARE(press, std::string("{\n"
                                "   \"P1\" : \"0x1\",\n"
                                "   \"P2\" : \"0x03c0021c\",\n"
                                "   \"msg\" : \"0x20008\"\n"
                                "}\n"));
    QCOMPARE(press.size(), std::size_t(66));
    QCOMPARE(command(1, 0x20009, 0, 960, 540), doc("0x1", "0x03c0021c", "0x20009"));

    QCOMPARE(scaled({401, 300}, frame, device), QPoint(962, 540));
    QCOMPARE(move(1, 962, 540), doc("0x1", "0x03c2021c", "0x20006"));
    QCOMPARE(move(0, 962, 540), doc("0", "0x03c2021c", "0x20006"));
    QCOMPARE(move(2, 962, 540), doc("0x2", "0x03c2021c", "0x20006"));

    const QString away = command(1, 0x20007, 1, 960, 540);
    QCOMPARE(away, doc("0xffff0000", "0x03c0021c", "0x20007"));
    QCOMPARE(away.size(), 73);
    QCOMPARE(command(1, 0x20007, -1, 960, 540), doc("0x10000", "0x03c0021c", "0x20007"));
    QCOMPARE(command(1, 0x20007, 0, 960, 540), doc("0x10000", "0x03c0021c", "0x20007"));
}

void TestRemoteCtrlCommand::styledWriterLayout()
{
    // Names in byte order (upper case first), three-space indent, " : ", no
    // comma after the last member, one trailing newline, text escaped.
    QCOMPARE(RemoteCtrlCommand::document("m", "a\"b", "c\\d"),
             std::string("{\n   \"P1\" : \"a\\\"b\",\n   \"P2\" : \"c\\\\d\",\n"
                         "   \"msg\" : \"m\"\n}\n"));
}

void TestRemoteCtrlCommand::everyButtonMessage()
{
    const struct
    {
        int keyType, nType;
        const char *p1, *msg;
    } rows[] = {{1, 0x20008, "0x1", "0x20008"}, {1, 0x20009, "0x1", "0x20009"},
                {1, 0x2000a, "0x1", "0x2000a"}, {2, 0x2000b, "0x2", "0x2000b"},
                {2, 0x2000c, "0x2", "0x2000c"}, {2, 0x2000d, "0x2", "0x2000d"}};
    for (const auto &r : rows)
        QCOMPARE(command(r.keyType, r.nType, 0, 0, 0), doc(r.p1, "0x00000000", r.msg));
}

void TestRemoteCtrlCommand::coordinates_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("p2");
    QTest::newRow("lower case, padded") << 0xabc << 0xf << "0x0abc000f";
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
    QCOMPARE(move(2, x, y), doc("0x2", p2, "0x20006"));
    QCOMPARE(command(1, 0x20008, 0, x, y), doc("0x1", p2, "0x20008"));
}

void TestRemoteCtrlCommand::scaling()
{
    QCOMPARE(scaled({1, 1}, {3, 3}, {1280, 1024}), QPoint(426, 341));
    // 1.0 / 49 * 49 is just below 1 in double precision: the quotient first.
    QCOMPARE(scaled({1, 98}, {49, 49}, {49, 49}), QPoint(0, 98));
    QCOMPARE(scaled({-1, -3}, {800, 600}, {1920, 1080}), QPoint(-2, -5)); // toward zero
    QCOMPARE(scaled({900, 700}, {800, 600}, {1920, 1080}), QPoint(2160, 1260));
    QCOMPARE(scaled({INT_MAX, INT_MIN}, {1, 1}, {4, 4}), QPoint(INT_MAX, INT_MIN));
    for (const auto &[frame, device] : {std::pair<QSize, QSize>{{0, 600}, {1920, 1080}},
                                        {{800, 0}, {1920, 1080}},
                                        {{800, 600}, {0, 1080}},
                                        {{800, 600}, {1920, -1}}})
        QVERIFY(!DeviceScaler::toDevice({10, 10}, frame, device).has_value());
}

QTEST_APPLESS_MAIN(TestRemoteCtrlCommand)
#include "tst_remotectrlcommand.moc"
