// The whole session with the real pieces: the recorder simulator, the
// project's device and play SDKs bound by ordinal, the login dialog and the
// main window. A click over the picture must reach the recorder byte for
// byte and its reaction must come back into the video frame.
#include "AppConfig.h"
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "CVideoFrame.h"
#include "ConfigKeys.h"
#include "ModalAnswerer.h"
#include "RemoteCtrlCommand.h"
#include "RunLoop.h"
#include "SdkApi.h"
#include "SdkBinding.h"
#include "SessionHandOff.h"
#include "SimProcess.h"
#include "TestConfigDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
constexpr QSize kFrame(960, 540); // half the simulator's 1920x1080

void mouse(QWidget *video, QEvent::Type type, Qt::MouseButton button, QPoint p)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, p, video->mapToGlobal(p), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(video, &event);
}

// How much of a region differs between two grabs, 0..1.
double changed(const QImage &a, const QImage &b, const QRect &region)
{
    int differing = 0, total = 0;
    for (int y = region.top(); y <= region.bottom(); y += 2)
        for (int x = region.left(); x <= region.right(); x += 2) {
            const QColor ca = a.pixelColor(x, y), cb = b.pixelColor(x, y);
            differing += qAbs(ca.red() - cb.red()) + qAbs(ca.green() - cb.green()) +
                             qAbs(ca.blue() - cb.blue()) >
                         60;
            ++total;
        }
    return total ? double(differing) / total : 0;
}

bool isLive(const QImage &image)
{
    // The simulator's display is never black over most of the frame.
    int lit = 0;
    for (int y = 10; y < image.height(); y += 37)
        for (int x = 10; x < image.width(); x += 41)
            lit += qGray(image.pixel(x, y)) > 40;
    return lit > 50;
}

QAbstractButton *titleButton(QWidget &w, const char *toolTip)
{
    for (QAbstractButton *button : w.findChildren<QAbstractButton *>())
        if (button->toolTip() == QLatin1String(toolTip))
            return button;
    return nullptr;
}
} // namespace

class TestSessionE2E : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void clickReachesRecorderAndComesBack();
    void logoutAsksForRestart();
    void lostRecorderToldOnce();
    void refusedRealPlay();
    void leadingZeroIsDecimal_data();
    void leadingZeroIsDecimal();

private:
    // Logs in silently with the seven command-line values and starts the
    // stream; the window is shown at a size that halves the display.
    bool openSession(SimProcess &sim, CTelvane &window);
    QImage grabFrame(CTelvane &window);
};

void TestSessionE2E::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    std::string error;
    QVERIFY2(
        SdkBinding::bind(QCoreApplication::applicationDirPath().toStdString(), sdkApi(), error),
        error.c_str());
}

bool TestSessionE2E::openSession(SimProcess &sim, CTelvane &window)
{
    CLoginDlg dialog;
    dialog.setLoginInfo("0", "127.0.0.1", "", QString::number(sim.port()), "admin", "", "English");
    if (!dialog.onLoginDevice())
        return false;
    return SessionHandOff::play(window, dialog.loginResult(), [](CTelvane &shown) {
        shown.findChild<CVideoFrame *>()->setFixedSize(kFrame);
        return QTest::qWaitForWindowExposed(&shown);
    });
}

QImage TestSessionE2E::grabFrame(CTelvane &window)
{
    return window.findChild<CVideoFrame *>()->grab().toImage().convertToFormat(
        QImage::Format_RGB32);
}

void TestSessionE2E::clickReachesRecorderAndComesBack()
{
    TestConfigDir dir;
    QTemporaryDir logDir;
    const QString log = logDir.filePath("commands.log");
    SimProcess sim;
    QVERIFY(sim.start({"--command-log", log}));
    CTelvane window;
    QVERIFY(openSession(sim, window));
    QTRY_VERIFY_WITH_TIMEOUT(isLive(grabFrame(window)), 10000);
    const QImage before = grabFrame(window);

    // A right-click in the upper left quarter opens the recorder's menu.
    auto *video = window.findChild<CVideoFrame *>();
    const QPoint at(240, 135);
    mouse(video, QEvent::MouseButtonPress, Qt::RightButton, at);
    mouse(video, QEvent::MouseButtonRelease, Qt::RightButton, at);
    const std::string press = RemoteCtrlCommand::eventCommand(2, 0x2000b, 0, 480, 270);
    const std::string release = RemoteCtrlCommand::eventCommand(2, 0x2000c, 0, 480, 270);
    const QByteArray expected = QByteArray::fromStdString(press + release);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) && file.readAll().startsWith(expected);
        }(),
        5000);
    // The menu opens below and to the right of the pointer.
    const QRect menu(at.x() + 4, at.y() + 4, 80, 80);
    QTRY_VERIFY_WITH_TIMEOUT(changed(before, grabFrame(window), menu) > 0.3, 5000);
}

void TestSessionE2E::logoutAsksForRestart()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlSystem]\nAutoLogin=1\n");
    SimProcess sim;
    QVERIFY(sim.start());
    CTelvane window;
    QVERIFY(openSession(sim, window));
    ModalAnswerer yes(0);
    QTimer::singleShot(0, [&window] { titleButton(window, "Logout")->click(); });
    QCOMPARE(RunLoop::untilExit(5000), 1111);
    QCOMPARE(AppConfig::readInt(ConfigKeys::kAutoLogin, -1), 0);
    QCOMPARE(yes.texts(), QStringList({"Do you want to logout?"}));
}

void TestSessionE2E::lostRecorderToldOnce()
{
    TestConfigDir dir;
    SimProcess sim;
    QVERIFY(sim.start());
    CTelvane window;
    QVERIFY(openSession(sim, window));
    QTRY_VERIFY_WITH_TIMEOUT(isLive(grabFrame(window)), 10000);
    ModalAnswerer answerer;
    sim.kill();
    QCOMPARE(RunLoop::untilExit(15000), 1111);
    QCOMPARE(answerer.texts(), QStringList({"Device Disconnect"}));
}

void TestSessionE2E::refusedRealPlay()
{
    TestConfigDir dir;
    SimProcess sim;
    QVERIFY(sim.start({"--refuse-realplay"}));
    CTelvane window;
    ModalAnswerer answerer;
    QVERIFY(!openSession(sim, window));
    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY2(answerer.texts().first().startsWith("Start RealPlay Fail nRet = -"),
             qPrintable(answerer.texts().first()));
    QCOMPARE(RunLoop::untilExit(5000), 1111);
}

void TestSessionE2E::leadingZeroIsDecimal_data()
{
    QTest::addColumn<bool>("fromFile"); // else from the command line
    QTest::newRow("Config.ini") << true;
    QTest::newRow("command line") << false;
}

// An address parser reads 010 as octal 8: two recorders on the same port,
// one at the address the user means and one where octal would lead.
void TestSessionE2E::leadingZeroIsDecimal()
{
    QFETCH(bool, fromFile);
    TestConfigDir dir;
    SimProcess meant;
    QVERIFY(meant.start({"--listen", "127.0.0.10:0"}));
    const QString port = QString::number(meant.port());
    SimProcess octal;
    QVERIFY(octal.start({"--listen", "127.0.0.8:" + port}));
    if (fromFile)
        dir.writeRaw("[RemoteCtrlDevInfo]\nIP=127.0.0.010\nPort=" + port.toLatin1() + "\n");
    CTelvane window; // initialises the SDK
    CLoginDlg dialog;
    if (!fromFile)
        dialog.setLoginInfo("0", "127.0.0.010", "", port, "admin", "", "English");
    QVERIFY(dialog.onLoginDevice());
    QTRY_VERIFY(meant.log().contains("login of \"admin\" (by address) accepted"));
    QVERIFY(!octal.log().contains("connection from"));
    sdkApi().logout(dialog.loginResult().nLoginHandle);
}

QTEST_MAIN(TestSessionE2E)
#include "tst_session_e2e.moc"
