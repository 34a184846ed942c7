#include "RemoteCtrlCommand.h"
#include "RemoteCtrlParser.h"

#include <QtTest>

namespace {

std::string doc(const char *p1, const char *p2, const char *msg)
{
    return std::string("{\n   \"P1\" : \"") + p1 + "\",\n   \"P2\" : \"" + p2 +
           "\",\n   \"msg\" : \"" + msg + "\"\n}\n";
}

} // namespace

class TestRemoteCtrlParser : public QObject
{
    Q_OBJECT
private slots:
    void accepts_data();
    void accepts();
    void refuses_data();
    void refuses();
    void toleratesTrailingTerminator();
    void longP2IsRefusedQuickly();
    void readsWhatTheClientWrites_data();
    void readsWhatTheClientWrites();
};

void TestRemoteCtrlParser::accepts_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<uint>("msg");
    QTest::addColumn<uint>("button");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("left press, the client's exact bytes")
        << QByteArray("{\n   \"P1\" : \"0x1\",\n   \"P2\" : \"0x03c0021c\",\n   \"msg\" : "
                      "\"0x20008\"\n}\n")
        << 0x20008u << 1u << 960 << 540;
    QTest::newRow("right double") << QByteArray(doc("0x2", "0x00000000", "0x2000d").c_str())
                                  << 0x2000du << 2u << 0 << 0;
    QTest::newRow("move, no button")
        << QByteArray(doc("0", "0x03c2021c", "0x20006").c_str()) << 0x20006u << 0u << 962 << 540;
    QTest::newRow("move, right held") << QByteArray(doc("0x2", "0x077f0437", "0x20006").c_str())
                                      << 0x20006u << 2u << 1919 << 1079;
    QTest::newRow("wheel up") << QByteArray(doc("0xffff0000", "0x03c0021c", "0x20007").c_str())
                              << 0x20007u << 0xffff0000u << 960 << 540;
    QTest::newRow("wheel down") << QByteArray(doc("0x10000", "0x03c0021c", "0x20007").c_str())
                                << 0x20007u << 0x10000u << 960 << 540;
    QTest::newRow("negative x") << QByteArray(
                                       doc("0x1", "0xffffffffffffffec021c", "0x20006").c_str())
                                << 0x20006u << 1u << -20 << 540;
    QTest::newRow("negative both")
        << QByteArray(doc("0x1", "0xffffffffffffffffffffffffffffff00", "0x20009").c_str())
        << 0x20009u << 1u << -1 << -256;
    QTest::newRow("wide x") << QByteArray(doc("0x1", "0x1234501c2", "0x20006").c_str()) << 0x20006u
                            << 1u << 0x12345 << 0x1c2;
    QTest::newRow("wide y, wider one is y")
        << QByteArray(doc("0x1", "0x01c212345", "0x20006").c_str()) << 0x20006u << 1u << 0x1c2
        << 0x12345;
    QTest::newRow("compact and reordered")
        << QByteArray("{\"msg\":\"0x2000b\",\"P2\":\"0x00100020\",\"P1\":\"0x2\"}") << 0x2000bu
        << 2u << 16 << 32;
}

void TestRemoteCtrlParser::accepts()
{
    QFETCH(QByteArray, json);
    QFETCH(uint, msg);
    QFETCH(uint, button);
    QFETCH(int, x);
    QFETCH(int, y);
    RemoteCtrlEvent e{};
    std::string error;
    QVERIFY2(RemoteCtrlParser::parse(json.toStdString(), e, error), error.c_str());
    QCOMPARE(e.msgType, msg);
    QCOMPARE(e.button, button);
    QCOMPARE(e.x, x);
    QCOMPARE(e.y, y);
}

void TestRemoteCtrlParser::refuses_data()
{
    QTest::addColumn<QByteArray>("json");
    auto row = [](const char *tag, const std::string &text) {
        QTest::newRow(tag) << QByteArray(text.c_str());
    };
    row("not JSON", "{\"P1\":\"0x1\",");
    row("not an object", "[\"0x1\",\"0x03c0021c\",\"0x20008\"]");
    row("missing msg", "{\"P1\":\"0x1\",\"P2\":\"0x03c0021c\"}");
    row("missing P2", "{\"P1\":\"0x1\",\"msg\":\"0x20008\"}");
    row("extra member", "{\"P1\":\"0x1\",\"P2\":\"0x03c0021c\",\"msg\":\"0x20008\",\"P3\":\"0\"}");
    row("duplicate member",
        "{\"P1\":\"0x1\",\"P1\":\"0x1\",\"P2\":\"0x03c0021c\",\"msg\":\"0x20008\"}");
    row("number instead of text", "{\"P1\":1,\"P2\":\"0x03c0021c\",\"msg\":\"0x20008\"}");
    row("trailing garbage", doc("0x1", "0x03c0021c", "0x20008") + "x");
    row("msg upper case", doc("0x1", "0x03c0021c", "0x2000A"));
    row("msg leading zero", doc("0x1", "0x03c0021c", "0x020008"));
    row("msg without 0x", doc("0x1", "0x03c0021c", "20008"));
    row("msg 0X", doc("0x1", "0x03c0021c", "0X20008"));
    row("msg unknown", doc("0x1", "0x03c0021c", "0x20005"));
    row("msg keyboard-like", doc("0x1", "0x03c0021c", "0x2000e"));
    row("P1 button of the wrong side", doc("0x2", "0x03c0021c", "0x20008"));
    row("P1 for a press without 0x", doc("1", "0x03c0021c", "0x20008"));
    row("P1 move 0x0", doc("0x0", "0x03c0021c", "0x20006"));
    row("P1 wheel raw +1", doc("0x1", "0x03c0021c", "0x20007"));
    row("P1 wheel upper case", doc("0xFFFF0000", "0x03c0021c", "0x20007"));
    row("P2 upper case", doc("0x1", "0x03C0021C", "0x20008"));
    row("P2 too short", doc("0x1", "0x3c021c", "0x20008"));
    row("P2 odd split", doc("0x1", "0x03c021c", "0x20008"));
    row("P2 without 0x", doc("0x1", "03c0021c00", "0x20008"));
    row("P2 wide with leading zero", doc("0x1", "0x012300012", "0x20008"));
    row("P2 16 digits not negative", doc("0x1", "0x0000000000000001021c", "0x20008"));
    row("P2 beyond 32 bits", doc("0x1", "0xfffffffe00000000021c", "0x20008"));
    row("P2 ambiguous split", doc("0x1", "0xffffffffffffffffffff", "0x20008"));
    row("P2 sign", doc("0x1", "0x-0010021c", "0x20008"));
    // Past the reader's own depth limit JsonCpp throws instead of failing.
    row("nested 1000 deep", std::string(1000, '['));
    row("nested 999 deep", std::string(999, '[') + std::string(999, ']'));
    row("member nested",
        "{\"P1\":{\"a\":[[[[\"0x1\"]]]]},\"P2\":\"0x03c0021c\",\"msg\":\"0x20008\"}");
    row("longer than any command", doc("0x1", "0x03c0021c", "0x20008") + std::string(5000, ' '));
}

void TestRemoteCtrlParser::refuses()
{
    QFETCH(QByteArray, json);
    RemoteCtrlEvent e{7, 7, 7, 7};
    std::string error;
    QVERIFY(!RemoteCtrlParser::parse(json.toStdString(), e, error));
    QVERIFY(!error.empty());
    QCOMPARE(e.msgType, 7u); // untouched on failure
    QCOMPARE(e.x, 7);
}

void TestRemoteCtrlParser::toleratesTrailingTerminator()
{
    std::string text = doc("0x1", "0x03c0021c", "0x20009");
    text.push_back('\0');
    RemoteCtrlEvent e{};
    std::string error;
    QVERIFY2(RemoteCtrlParser::parse(text, e, error), error.c_str());
    QCOMPARE(e.msgType, 0x20009u);
}

// The parser runs on the simulator's one network thread: a command of the
// largest size a frame carries must not hold it up.
void TestRemoteCtrlParser::longP2IsRefusedQuickly()
{
    const std::string p2 = "0x" + std::string(60000, '1');
    const std::string text = doc("0x1", p2.c_str(), "0x20008");
    RemoteCtrlEvent e{};
    std::string error;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!RemoteCtrlParser::parse(text, e, error));
    // well under a ms on a quiet machine; a parse that went back over the
    // text would take seconds
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(error.size() < 200);
}

// The client's encoder and this reader are the two ends of one format: every
// kind of command the client writes must read back as what it meant.
void TestRemoteCtrlParser::readsWhatTheClientWrites_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<uint>("msg");
    QTest::addColumn<uint>("button");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    auto event = [](const char *tag, int key, ZT_MSG_TYPE type, int wheel, int x, int y,
                    uint button) {
        QTest::newRow(tag) << QByteArray::fromStdString(
                                  RemoteCtrlCommand::eventCommand(key, type, wheel, x, y))
                           << uint(type) << button << x << y;
    };
    event("left press", Key_Map_LeftButton, ZT_MSG_LBUTTON_DOWN, 0, 960, 540, 1);
    event("left release", Key_Map_LeftButton, ZT_MSG_LBUTTON_UP, 0, 0, 0, 1);
    event("left double", Key_Map_LeftButton, ZT_MSG_LBUTTON_DBLCLK, 0, 1919, 1079, 1);
    event("right press", Key_Map_RightButton, ZT_MSG_RBUTTON_DOWN, 0, 1, 2, 2);
    event("right release", Key_Map_RightButton, ZT_MSG_RBUTTON_UP, 0, 65535, 65535, 2);
    event("right double", Key_Map_RightButton, ZT_MSG_RBUTTON_DBLCLK, 0, 3840, 2160, 2);
    event("wheel up", Key_Map_LeftButton, ZT_MSG_MOUSE_WHEEL, 1, 10, 20, RemoteCtrlWheelUp);
    event("wheel down", Key_Map_LeftButton, ZT_MSG_MOUSE_WHEEL, -1, 10, 20, RemoteCtrlWheelDown);
    event("drag beyond the left edge", Key_Map_LeftButton, ZT_MSG_LBUTTON_UP, 0, -20, 540, 1);
    event("drag beyond both edges", Key_Map_RightButton, ZT_MSG_RBUTTON_UP, 0, -1, -256, 2);
    event("wide x", Key_Map_LeftButton, ZT_MSG_LBUTTON_DOWN, 0, 0x12345, 0x1c2, 1);
    auto move = [](const char *tag, int held, int x, int y) {
        QTest::newRow(tag) << QByteArray::fromStdString(RemoteCtrlCommand::moveCommand(held, x, y))
                           << uint(ZT_MSG_MOUSE_MOVE) << uint(held) << x << y;
    };
    move("move, no button", int(RemoteCtrlNoButton), 962, 540);
    move("move, left held", Key_Map_LeftButton, 0, 1079);
    move("move, right held, off the picture", Key_Map_RightButton, -300, 2000);
}

void TestRemoteCtrlParser::readsWhatTheClientWrites()
{
    accepts();
}

QTEST_GUILESS_MAIN(TestRemoteCtrlParser)
#include "tst_remotectrlparser.moc"
