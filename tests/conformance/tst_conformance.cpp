// The program's SDK boundary checked against numbers typed in once from the
// interface tables, through two SDK doubles that the program's own binding
// loads by ordinal as it loads the real SDKs. Nothing here includes the
// program's SDK contract, so a misread ordinal, record size, offset, flag
// position, error code, time-out or command text there fails this test.
#include "CTelvane.h"
#include "ConformanceProbe.h"
#include "DeviceLogin.h"
#include "SdkLoader.h"
#include "SessionHandOff.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>
#include <dlfcn.h>

namespace {
// What the doubles answer unless scripted otherwise.
constexpr int kHandle = 42;
constexpr int kRealPlay = 9;
constexpr int kChannel = 3 + 4; // the ints at 288 and 324

QStringList g_lines;
void collect(const char *line)
{
    g_lines << QString::fromUtf8(line);
}

struct Double
{
    ConfScript script = nullptr;
    ConfReset reset = nullptr;
};
Double g_net, g_play;

Double attach(const QString &path)
{
    void *lib = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!lib)
        return {};
    reinterpret_cast<ConfAttach>(dlsym(lib, kConfAttach))(collect);
    return {reinterpret_cast<ConfScript>(dlsym(lib, kConfScript)),
            reinterpret_cast<ConfReset>(dlsym(lib, kConfReset))};
}

// "key=value,key=value" to the device SDK double.
void script(const QString &entries)
{
    g_net.reset();
    for (const QString &entry : entries.split(',', Qt::SkipEmptyParts)) {
        const QStringList kv = entry.split('=');
        g_net.script(kv.at(0).toLatin1().constData(), kv.at(1).toLongLong());
    }
}

QString zeros(int nBytes)
{
    return QString(nBytes * 2, '0');
}

QString pointer(const void *p)
{
    return QString::number(reinterpret_cast<quintptr>(p), 16);
}

QString configLine(int command, int size, int timeoutMs)
{
    return QStringLiteral("N31 %1 %2 -1 %3 %4 %5")
        .arg(kHandle)
        .arg(command)
        .arg(size)
        .arg(timeoutMs)
        .arg(zeros(size));
}

const QString kSystemFunction = configLine(9, 229, 5000);
const QString kResolution = configLine(127, 8, 1000);

QString command(const char *p1, int x, int y, const char *msg)
{
    const QString json = QString::asprintf("{\n   \"P1\" : \"%s\",\n   \"P2\" : \"0x%04x%04x\",\n"
                                           "   \"msg\" : \"%s\"\n}\n",
                                           p1, x, y, msg);
    return QStringLiteral("N92 %1 OPRemoteCtrl 4000 -1 %2 1000 %3")
        .arg(kHandle)
        .arg(json.size())
        .arg(QString(json).replace("\n", "\\n"));
}

LoginInput addressInput()
{
    LoginInput input;
    input.ip = "127.0.0.1";
    input.portText = "34567";
    input.userName = "admin";
    input.password = "secret";
    return input;
}

QWidget *videoFrame(QWidget &window)
{
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (qstrcmp(child->metaObject()->className(), "CVideoFrame") == 0)
            return child;
    }
    return nullptr;
}
} // namespace

class TestConformance : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void initialisation();
    void login_data();
    void login();
    void refusals_data();
    void refusals();
    void streamRefreshAndControl();
};

void TestConformance::initTestCase()
{
    const QString dir = QCoreApplication::applicationDirPath() + "/test-stubs/conformance";
    QString error;
    // Which two files the run bound, for whoever reads the debug output.
    for (const char *file : {"libNetSDK.so", "libH264Play.so"})
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression(QString("^SDK bound: %1/%2 no version")
                                                    .arg(QRegularExpression::escape(dir), file)));
    QVERIFY2(SdkLoader::load(dir, error), qPrintable(error));
    g_net = attach(dir + "/libNetSDK.so");
    g_play = attach(dir + "/libH264Play.so");
    QVERIFY(g_net.script && g_play.script);
}

void TestConformance::init()
{
    g_net.reset();
    g_play.reset();
    g_lines.clear();
}

void TestConformance::initialisation()
{
    TestConfigDir dir;
    dir.writeRaw("[SeverSet]\nSeverIp=10.1.2.3\n");
    {
        CTelvane window;
        QCOMPARE(g_lines.size(), 4);
        QCOMPARE(g_lines.at(0),
                 "N137 0 " + QString("10.1.2.3").toLatin1().toHex() + zeros(56) + " 0");
        QCOMPARE(g_lines.at(1), "N52 cb " + pointer(&window));
        QCOMPARE(g_lines.at(2), QString("N21 1"));
        // Three 32-character lower-case hexadecimal strings in 64-byte
        // fields, then the int 1.
        const QRegularExpression identity("^N141 (((3[0-9]|6[1-6]){32}(00){32}){3}01000000)$");
        QVERIFY2(identity.match(g_lines.at(3)).hasMatch(), qPrintable(g_lines.at(3)));
    }
    QCOMPARE(g_lines.last(), QString("N6"));
}

void TestConformance::login_data()
{
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<bool>("cloud");
    QTest::addColumn<bool>("encrypt");
    QTest::addColumn<QStringList>("calls");
    const QString byAddress = "N57 127.0.0.1 34567 admin secret %1 0";
    const QString byCloud = "N57 ABCDEFGHIJ 0 admin secret %1 2";
    QTest::newRow("interactive, address, login code")
        << true << false << true
        << QStringList{"N89 2000 2", byAddress.arg("07000000"), "N96 42 5 10", kSystemFunction,
                       kResolution};
    QTest::newRow("silent, address")
        << false << false << false
        << QStringList{byAddress.arg(zeros(4)), kSystemFunction, kResolution, "N96 42 3 6"};
    QTest::newRow("interactive, cloud")
        << true << true << false << QStringList{"N89 8000 2",  byCloud.arg(zeros(4)), "N41",
                                                "N96 42 5 10", kSystemFunction,       kResolution};
    QTest::newRow("silent, cloud, login code")
        << false << true << true
        << QStringList{byCloud.arg("07000000"), "N41", kSystemFunction, kResolution, "N96 42 3 6"};
}

void TestConformance::login()
{
    QFETCH(bool, interactive);
    QFETCH(bool, cloud);
    QFETCH(bool, encrypt);
    QFETCH(QStringList, calls);
    TestConfigDir dir;
    LoginInput input = addressInput();
    if (cloud) {
        input.nLoginType = 1;
        input.cloud = "ABCDEFGHIJ";
    }
    input.nEncrypt = encrypt ? 1 : 0;
    input.nEncryptCode = 7;
    QStringList prompts;
    DeviceLogin login(interactive ? DeviceLogin::Manner::Interactive : DeviceLogin::Manner::Silent,
                      [&](const QString &text) { prompts << text; });
    LoginResult result;
    QVERIFY(login.run(input, result));
    QCOMPARE(g_lines, calls);
    QCOMPARE(prompts, QStringList());
    QCOMPARE(result.nLoginHandle, kHandle);
    QCOMPARE(result.nChannel, kChannel);
    QCOMPARE(result.nDevWidth, 1000);
    QCOMPARE(result.nDevHeight, 600);
}

void TestConformance::refusals_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<bool>("loggedOut");
    const char *codes[][2] = {
        {"-10005", "Time Out"},        {"-11300", "No Power"},
        {"-11301", "Password Error"},  {"-11302", "User Not Exist"},
        {"-11303", "User Locked"},     {"-11304", "User In Blacklist"},
        {"-11307", "Not Find Device"}, {"-11308", "Password Error"},
        {"-11314", "Password Error"},  {"-11315", "Password Error"},
        {"-11316", "User Reserved"},   {"-11318", "Password Error"},
        {"-11306", "-11306"},
    };
    for (const auto &code : codes)
        QTest::newRow(code[0]) << QString("login.handle=0,login.error=%1").arg(code[0])
                               << QString("Login Fail %1").arg(code[1]) << false;
    QTest::newRow("system function fails") << "cfg9.result=-1"
                                           << "Get System Function Fail nRet = -1" << true;
    QTest::newRow("no remote control flag") << "cfg9.flag=0"
                                            << "Device Not Support Remote Ctrl" << true;
    QTest::newRow("resolution fails") << "cfg127.result=-3"
                                      << "Get VGA Resolution Fail nRet = -3" << true;
    QTest::newRow("agent login") << "lastError=-11609"
                                 << "Agent login, unable to operate" << true;
}

void TestConformance::refusals()
{
    QFETCH(QString, answers);
    QFETCH(QString, prompt);
    QFETCH(bool, loggedOut);
    TestConfigDir dir;
    script(answers);
    LoginInput input = addressInput();
    if (answers.startsWith("lastError")) { // the agent check is the cloud login's
        input.nLoginType = 1;
        input.cloud = "ABCDEFGHIJ";
    }
    QStringList prompts;
    DeviceLogin login(DeviceLogin::Manner::Interactive,
                      [&](const QString &text) { prompts << text; });
    LoginResult result;
    QVERIFY(!login.run(input, result));
    QCOMPARE(prompts, QStringList{prompt});
    QCOMPARE(g_lines.last() == QString("N62 %1").arg(kHandle), loggedOut);
}

void TestConformance::streamRefreshAndControl()
{
    TestConfigDir dir;
    QString user;
    {
        CTelvane window;
        user = pointer(&window);
        LoginResult result;
        QVERIFY(DeviceLogin(DeviceLogin::Manner::Silent, [](const QString &) {
                }).run(addressInput(), result));
        g_lines.clear();
        QVERIFY(SessionHandOff::play(window, result));
        const QString client = "07000000" + zeros(20);
        QCOMPARE(g_lines, QStringList({"P17 0 header 1 2048000", "P3 0 window",
                                       QString("N76 42 %1 1").arg(client), "N99 9 cb " + user,
                                       "P18 0 0000000167", "callback returned 1"}));

        script("height=500,width=800");
        g_lines.clear();
        QVERIFY(QMetaObject::invokeMethod(&window, "onRefreshResolution"));
        QCOMPARE(g_lines, QStringList{kResolution});

        QWidget *frame = videoFrame(window);
        QVERIFY(frame && frame->width() > 0 && frame->height() > 0);
        const auto scaled = [frame](QPoint p) {
            return QPoint(int(double(p.x()) / frame->width() * 800),
                          int(double(p.y()) / frame->height() * 500));
        };
        const QPoint click(frame->width() / 4, frame->height() / 3);
        const QPoint at = scaled(click);
        g_lines.clear();
        QTest::mousePress(frame, Qt::LeftButton, Qt::NoModifier, click);
        QTest::mouseRelease(frame, Qt::LeftButton, Qt::NoModifier, click);
        QCOMPARE(g_lines, QStringList({command("0x1", at.x(), at.y(), "0x20008"),
                                       command("0x1", at.x(), at.y(), "0x20009")}));

        const QPoint move = click + QPoint(10, 10);
        QMouseEvent hover(QEvent::MouseMove, move, frame->mapToGlobal(move), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &hover);
        QWheelEvent wheel(move, frame->mapToGlobal(move), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(frame, &wheel);
        const QPoint moved = scaled(move);
        QTRY_COMPARE(g_lines.size(), 4);
        QCOMPARE(g_lines.at(2), command("0xffff0000", moved.x(), moved.y(), "0x20007"));
        QCOMPARE(g_lines.at(3), command("0", moved.x(), moved.y(), "0x20006"));
        g_lines.clear();
    }
    QCOMPARE(g_lines,
             QStringList({"N19 9 cb " + user, "N127 9 0", "P4 0", "P19 0", "P91 0", "N6"}));
}

QTEST_MAIN(TestConformance)
#include "tst_conformance.moc"
