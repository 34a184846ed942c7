// The main window against the recording SDK double: construction and SDK
// start-up, the live stream and its two failure paths, the end of a session,
// and the remote-control commands a click or a drag produces.
#include "AppConfig.h"
#include "CMessageBox.h"
#include "CTelvane.h"
#include "CVideoFrame.h"
#include "ConfigKeys.h"
#include "FakeSdk.h"
#include "ModalAnswerer.h"
#include "RunLoop.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

using namespace tvsdk;

class CTelvaneProbe
{
public:
    static bool playing(const CTelvane &w) { return w.m_bRealPlay; }
    static int loginHandle(const CTelvane &w) { return w.m_nLoginHandle; }
    static int timerId(const CTelvane &w) { return w.m_nTimerId; }
    static QSize device(const CTelvane &w) { return {w.m_nDevWidth, w.m_nDevHeight}; }
};

namespace {
QStringList jsonSent(const FakeSdk &sdk)
{
    QStringList texts;
    for (const FakeSdkCall &call : sdk.callsOf(FakeSdkCall::Net, NetOrdSendJson))
        texts << QString::fromLatin1(call.args.at(4).toByteArray());
    return texts;
}

QString doc(const char *p1, const char *p2, const char *msg)
{
    return QString("{\n   \"P1\" : \"%1\",\n   \"P2\" : \"%2\",\n   \"msg\" : \"%3\"\n}\n")
        .arg(p1, p2, msg);
}

// The bar's buttons all carry the skin's object name; their tooltips tell
// them apart.
QAbstractButton *titleButton(CTelvane &w, const char *toolTip)
{
    for (QAbstractButton *button : w.findChildren<QAbstractButton *>())
        if (button->toolTip() == QLatin1String(toolTip))
            return button;
    return nullptr;
}
// Mouse input as the window system delivers it to the frame.
void mouse(QWidget *video, QEvent::Type type, Qt::MouseButton button, QPoint p)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : button;
    QMouseEvent event(type, p, video->mapToGlobal(p), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(video, &event);
}

void doubleClick(QWidget *video, Qt::MouseButton button, QPoint p)
{
    mouse(video, QEvent::MouseButtonPress, button, p);
    mouse(video, QEvent::MouseButtonRelease, button, p);
    mouse(video, QEvent::MouseButtonDblClick, button, p);
    mouse(video, QEvent::MouseButtonRelease, button, p);
}

void move(QWidget *video, QPoint p)
{
    mouse(video, QEvent::MouseMove, Qt::NoButton, p);
}
// The display-resolution record of a recorder showing 1280x1024.
QByteArray resolution1280x1024()
{
    QByteArray record(8, '\0');
    record[0] = char(0x00), record[1] = char(0x04); // height 1024
    record[4] = char(0x00), record[5] = char(0x05); // width 1280
    return record;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void construction();
    void startAndRestart();
    void decoderOpenFails();
    void realPlayFails();
    void dataReachesDecoder();
    void shutdown_data();
    void shutdown();
    void disconnect();
    void disconnectWhileABoxIsOpen_data();
    void disconnectWhileABoxIsOpen();
    void logoutAndClose();
    void refreshResolution();
    void newPictureSizeRefreshes();
    void roadOfOneClick();
    void movesCoalescedByTimer();
    void inactiveAndDegenerate();

private:
    struct Session
    {
        TestConfigDir dir;
        FakeSdk sdk;
    };
    void playInto(CTelvane &w, QSize frame = QSize(800, 600));
};

void TestMainWindow::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::playInto(CTelvane &w, QSize frame)
{
    w.setLoginResult(7, 3, 1920, 1080);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *video = w.findChild<CVideoFrame *>();
    // The frame's size is whatever the layout gives it; fix it for exact maths.
    video->setFixedSize(frame);
    QTRY_COMPARE(video->size(), frame);
    QVERIFY(w.startRealPlay() > 0);
}

void TestMainWindow::construction()
{
    Session s;
    CTelvane w;
    QCOMPARE(s.sdk.sequence(), QStringList({"N52", "N21", "N141"}));
    QCOMPARE(s.sdk.calls().at(0).args.at(1).value<quintptr>(), reinterpret_cast<quintptr>(&w));
    QCOMPARE(w.objectName(), QString("MainFrame"));
    // No larger than the screen (800x600 on the headless platform).
    QCOMPARE(w.minimumSize(), QSize(900, 600).boundedTo(w.screen()->availableGeometry().size()));
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.windowTitle(), QString("Remote Control"));
    QCOMPARE(w.findChild<QFrame *>("TitleWidget")->height(), 45);
    QCOMPARE(w.findChild<QFrame *>("PlayWnd")->styleSheet(),
             QString("background-color:rgb(0, 0, 0)"));
    QCOMPARE(w.findChild<CVideoFrame *>()->objectName(), QString("CPlayWnd"));
    QCOMPARE(CTelvaneProbe::loginHandle(w), -1);
    QVERIFY(!CTelvaneProbe::playing(w));
}

void TestMainWindow::startAndRestart()
{
    Session s;
    CTelvane w;
    playInto(w);
    QCOMPARE(s.sdk.sequence().mid(3), QStringList({"P17", "P3", "N76", "N99"}));
    const FakeSdkCall open = s.sdk.callsOf(FakeSdkCall::Play, PlayOrdOpenStream).first();
    QCOMPARE(open.args.at(0).toInt(), 0);
    QCOMPARE(open.args.at(2).toInt(), 1);
    QCOMPARE(open.args.at(3).toInt(), 2048000);
    const FakeSdkCall play = s.sdk.callsOf(FakeSdkCall::Play, PlayOrdPlay).first();
    QCOMPARE(play.args.at(1).value<quintptr>(), quintptr(w.findChild<CVideoFrame *>()->winId()));
    const FakeSdkCall real = s.sdk.callsOf(FakeSdkCall::Net, NetOrdRealPlay).first();
    QCOMPARE(real.args.at(0).toInt(), 7);
    QByteArray info(24, '\0');
    info[0] = 3;
    QCOMPARE(real.args.at(1).toByteArray(), info);
    QCOMPARE(real.args.at(2).toInt(), 1);
    QVERIFY(CTelvaneProbe::playing(w));
    QVERIFY(CTelvaneProbe::timerId(w) > 0);

    s.sdk.clearCalls();
    QVERIFY(w.startRealPlay() > 0);
    QCOMPARE(s.sdk.sequence(),
             QStringList({"N19", "N127", "P4", "P19", "P91", "P17", "P3", "N76", "N99"}));
    QCOMPARE(s.sdk.calls().at(0).args.at(0).toInt(), 5);
}

void TestMainWindow::decoderOpenFails()
{
    Session s;
    s.dir.writeRaw("[RemoteCtrlSystem]\nAutoLogin=1\n");
    s.sdk.setResult(FakeSdkCall::Play, PlayOrdOpenStream, 0);
    {
        CTelvane w;
        w.setLoginResult(7, 0, 1920, 1080);
        ModalAnswerer answerer;
        QCOMPARE(w.startRealPlay(), 0);
        QCOMPARE(s.sdk.sequence().mid(3), QStringList({"P17"}));
        QCOMPARE(answerer.texts(), QStringList({"Start RealPlay Fail nRet = 0"}));
        QVERIFY(!CTelvaneProbe::playing(w));
        // Back to the login dialog, as after a refused real play.
        QCOMPARE(RunLoop::untilExit(3000), 1111);
        QCOMPARE(AppConfig::readInt(ConfigKeys::kAutoLogin, -1), 0);
        s.sdk.clearCalls();
    }
    QCOMPARE(s.sdk.sequence(), QStringList({"N62", "N6"}));
}

void TestMainWindow::realPlayFails()
{
    Session s;
    s.dir.writeRaw("[RemoteCtrlSystem]\nAutoLogin=1\n");
    s.sdk.setResult(FakeSdkCall::Net, NetOrdRealPlay, -4);
    s.sdk.setLastError(-11200);
    CTelvane w;
    w.setLoginResult(7, 0, 1920, 1080);
    ModalAnswerer answerer;
    QCOMPARE(w.startRealPlay(), -4);
    QCOMPARE(s.sdk.sequence().mid(3), QStringList({"P17", "P3", "N76", "N41", "P4", "P19", "P91"}));
    QCOMPARE(answerer.texts(), QStringList({"Start RealPlay Fail nRet = -11200"}));
    // The end of the run waits for the event loop.
    QCOMPARE(RunLoop::untilExit(3000), 1111);
    QCOMPARE(AppConfig::readInt(ConfigKeys::kAutoLogin, -1), 0);
}

void TestMainWindow::dataReachesDecoder()
{
    Session s;
    CTelvane w;
    playInto(w);
    s.sdk.clearCalls();
    QVERIFY(s.sdk.feedData(QByteArray("\x00\x00\x00\x01\x09\xf0", 6), 0));
    QVERIFY(s.sdk.feedData(QByteArray("audio?"), 3));
    const QList<FakeSdkCall> inputs = s.sdk.callsOf(FakeSdkCall::Play, PlayOrdInputData);
    QCOMPARE(inputs.size(), 2);
    QCOMPARE(inputs.at(0).args.at(1).toByteArray(), QByteArray("\x00\x00\x00\x01\x09\xf0", 6));
    QCOMPARE(inputs.at(1).args.at(1).toByteArray(), QByteArray("audio?"));
    QCOMPARE(inputs.at(1).args.at(0).toInt(), 0);
}

void TestMainWindow::shutdown_data()
{
    QTest::addColumn<int>("state"); // 0 never logged in, 1 logged in only, 2 playing
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("never logged in") << 0 << QStringList({"N6"});
    QTest::newRow("logged in, no stream") << 1 << QStringList({"N62", "N6"});
    QTest::newRow("playing") << 2 << QStringList({"N19", "N127", "P4", "P19", "P91", "N6"});
}

void TestMainWindow::shutdown()
{
    QFETCH(int, state);
    QFETCH(QStringList, calls);
    Session s;
    {
        CTelvane w;
        if (state == 1)
            w.setLoginResult(7, 0, 1920, 1080);
        if (state == 2)
            playInto(w);
        s.sdk.clearCalls();
    }
    QCOMPARE(s.sdk.sequence(), calls);
}

void TestMainWindow::disconnect()
{
    Session s;
    s.dir.writeRaw("[RemoteCtrlSystem]\nAutoLogin=1\n");
    CTelvane w;
    ModalAnswerer answerer;
    // No session yet: reports are ignored, also one for the handle that the
    // login then hands over.
    QVERIFY(s.sdk.fireDisconnect(-1));
    QVERIFY(s.sdk.fireDisconnect(7));
    w.setLoginResult(7, 0, 1920, 1080);
    QVERIFY(s.sdk.fireDisconnect(8));
    QCOMPARE(RunLoop::untilExit(300), RunLoop::kTimedOut);
    QVERIFY(answerer.texts().isEmpty());

    QVERIFY(s.sdk.fireDisconnect(7));
    QVERIFY(s.sdk.fireDisconnect(7));
    QCOMPARE(RunLoop::untilExit(3000), 1111);
    QCOMPARE(answerer.texts(), QStringList({"Device Disconnect"}));
    QCOMPARE(AppConfig::readInt(ConfigKeys::kAutoLogin, -1), 0);
}

void TestMainWindow::disconnectWhileABoxIsOpen_data()
{
    QTest::addColumn<QString>("button"); // the title bar's, by tooltip
    QTest::addColumn<int>("nAnswer");
    QTest::addColumn<QStringList>("told");
    const QString lost("Device Disconnect");
    // A hanging recorder: the refresh fails, and the loss comes while its
    // notice is open.
    QTest::newRow("refresh notice") << "Refresh resolution" << 0
                                    << QStringList({"Refresh resolution Fail nRet = -10005", lost});
    QTest::newRow("close, No") << "Close" << 1 << QStringList({"Do you want to close?", lost});
    QTest::newRow("logout, No") << "Logout" << 1 << QStringList({"Do you want to logout?", lost});
    QTest::newRow("logout, Yes") << "Logout" << 0 << QStringList({"Do you want to logout?"});
}

// Never a second box over the first; the loss is told once the first is
// answered, unless the answer itself ended the session.
void TestMainWindow::disconnectWhileABoxIsOpen()
{
    QFETCH(QString, button);
    QFETCH(int, nAnswer);
    QFETCH(QStringList, told);
    Session s;
    CTelvane w;
    playInto(w);
    s.sdk.setConfigResult(kCmdDisplayResolution, -10005);
    std::unique_ptr<ModalAnswerer> answerer;
    int nOpen = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (CMessageBox::openCount() == 0)
            return;
        watch.stop();
        s.sdk.fireDisconnect(7);
        // Runs after the window has taken the report.
        QTimer::singleShot(0, [&] {
            nOpen = CMessageBox::openCount();
            answerer = std::make_unique<ModalAnswerer>(nAnswer);
        });
    });
    watch.start(1);
    QTimer::singleShot(
        0, [&] { QTest::mouseClick(titleButton(w, qPrintable(button)), Qt::LeftButton); });
    QCOMPARE(RunLoop::untilExit(3000), 1111);
    QCOMPARE(nOpen, 1);
    QVERIFY(answerer);
    QCOMPARE(answerer->texts(), told);
}

void TestMainWindow::logoutAndClose()
{
    Session s;
    CTelvane w;
    playInto(w);
    {
        ModalAnswerer no(1);
        QTest::mouseClick(titleButton(w, "Logout"), Qt::LeftButton);
        QTRY_COMPARE(no.texts().size(), 1);
    }
    ModalAnswerer yes(0);
    QTimer::singleShot(0, [&w] { QTest::mouseClick(titleButton(w, "Logout"), Qt::LeftButton); });
    QCOMPARE(RunLoop::untilExit(3000), 1111);

    QTest::mouseClick(titleButton(w, "Close"), Qt::LeftButton);
    QVERIFY(w.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 3000);
}

void TestMainWindow::refreshResolution()
{
    Session s;
    CTelvane w;
    playInto(w);
    s.sdk.setConfigRecord(kCmdDisplayResolution, resolution1280x1024());
    ModalAnswerer answerer;
    QTest::mouseClick(titleButton(w, "Refresh resolution"), Qt::LeftButton);
    QCOMPARE(CTelvaneProbe::device(w), QSize(1280, 1024));
    QVERIFY(answerer.texts().isEmpty());
    s.sdk.clearCalls();
    QTest::mousePress(w.findChild<CVideoFrame *>(), Qt::LeftButton, {}, QPoint(400, 300));
    QCOMPARE(jsonSent(s.sdk), QStringList({doc("0x1", "0x02800200", "0x20008")}));

    s.sdk.setConfigResult(kCmdDisplayResolution, -3);
    QTest::mouseClick(titleButton(w, "Refresh resolution"), Qt::LeftButton);
    QTRY_COMPARE(answerer.texts(), QStringList({"Refresh resolution Fail nRet = -3"}));
    QCOMPARE(CTelvaneProbe::device(w), QSize(1280, 1024));

    // A size of nothing is a failure too, and keeps the good one.
    s.sdk.setConfigResult(kCmdDisplayResolution, 0);
    s.sdk.setConfigRecord(kCmdDisplayResolution, QByteArray(8, '\0'));
    QTest::mouseClick(titleButton(w, "Refresh resolution"), Qt::LeftButton);
    QTRY_COMPARE(answerer.texts().size(), 2);
    QCOMPARE(answerer.texts().at(1), QString("Refresh resolution Fail nRet = 0"));
    QCOMPARE(CTelvaneProbe::device(w), QSize(1280, 1024));
}

// The recorder changes its resolution mid-session: the stream's new
// sequence header makes the window ask for the display size by itself.
void TestMainWindow::newPictureSizeRefreshes()
{
    Session s;
    CTelvane w;
    playInto(w);
    s.sdk.setConfigRecord(kCmdDisplayResolution, resolution1280x1024());
    const QByteArray start("\x00\x00\x00\x01", 4);
    // Baseline 1920x1080, then 4:2:2 1280x1024, as libx264 writes them.
    const QByteArray sps1080("\x67\x42\xc0\x28\xda\x01\xe0\x08\x9f\x97\x01\x10\x00", 13);
    const QByteArray sps1024("\x67\x7a\x00\x20\xbc\xd9\x40\x50\x02\x06\xc0\x44\x00", 13);
    s.sdk.clearCalls();
    QVERIFY(s.sdk.feedData(start + sps1080));
    QVERIFY(s.sdk.feedData(start + sps1080));
    QCoreApplication::processEvents();
    QVERIFY(s.sdk.callsOf(FakeSdkCall::Net, NetOrdGetDevConfig).isEmpty());
    QVERIFY(s.sdk.feedData(start + sps1024));
    QTRY_COMPARE(CTelvaneProbe::device(w), QSize(1280, 1024));
    QCOMPARE(s.sdk.callsOf(FakeSdkCall::Net, NetOrdGetDevConfig).size(), 1);
}

void TestMainWindow::roadOfOneClick()
{
    Session s;
    CTelvane w;
    playInto(w);
    s.sdk.clearCalls();
    auto *video = w.findChild<CVideoFrame *>();
    QTest::mousePress(video, Qt::LeftButton, {}, QPoint(400, 300));
    const QList<FakeSdkCall> sent = s.sdk.callsOf(FakeSdkCall::Net, NetOrdSendJson);
    QCOMPARE(sent.size(), 1);
    const QVariantList args = sent.first().args;
    QCOMPARE(args.at(0).toInt(), 7);
    QCOMPARE(args.at(1).toByteArray(), QByteArray("OPRemoteCtrl"));
    QCOMPARE(args.at(2).toInt(), 4000);
    QCOMPARE(args.at(3).toInt(), -1);
    QCOMPARE(QString::fromLatin1(args.at(4).toByteArray()), doc("0x1", "0x03c0021c", "0x20008"));
    QCOMPARE(args.at(5).toInt(), 66);
    QCOMPARE(args.at(6).toInt(), 1000);

    s.sdk.clearCalls();
    mouse(video, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(400, 300));
    doubleClick(video, Qt::RightButton, QPoint(0, 0));
    QCOMPARE(jsonSent(s.sdk),
             QStringList({doc("0x1", "0x03c0021c", "0x20009"), doc("0x2", "0x00000000", "0x2000b"),
                          doc("0x2", "0x00000000", "0x2000c"), doc("0x2", "0x00000000", "0x2000d"),
                          doc("0x2", "0x00000000", "0x2000c")}));
}

void TestMainWindow::movesCoalescedByTimer()
{
    Session s;
    CTelvane w;
    playInto(w);
    auto *video = w.findChild<CVideoFrame *>();
    s.sdk.clearCalls();
    move(video, QPoint(100, 100));
    move(video, QPoint(401, 300));
    QVERIFY(jsonSent(s.sdk).isEmpty());
    // After reset the left button counts as held until the first release.
    QTRY_COMPARE(jsonSent(s.sdk), QStringList({doc("0x1", "0x03c2021c", "0x20006")}));
    QTest::qWait(120); // several ticks at rest
    QCOMPARE(jsonSent(s.sdk).size(), 1);

    s.sdk.clearCalls();
    mouse(video, QEvent::MouseButtonPress, Qt::RightButton, QPoint(401, 300));
    mouse(video, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(401, 300));
    move(video, QPoint(-10, 300));
    QTRY_COMPARE(jsonSent(s.sdk).size(), 3);
    QCOMPARE(jsonSent(s.sdk).at(2), doc("0", "0xffffffffffffffe8021c", "0x20006"));
}

void TestMainWindow::inactiveAndDegenerate()
{
    Session s;
    CTelvane w;
    w.setLoginResult(7, 0, 1920, 1080);
    w.show();
    auto *video = w.findChild<CVideoFrame *>();
    QTest::mouseClick(video, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(jsonSent(s.sdk).isEmpty());

    CTelvane unsized;
    playInto(unsized);
    unsized.setLoginResult(7, 3, 0, 1080);
    s.sdk.clearCalls();
    QTest::mouseClick(unsized.findChild<CVideoFrame *>(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(jsonSent(s.sdk).isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
