// On a display at 150 %, the window is scaled by the toolkit, and a real
// click at the centre of the picture still reaches the recorder at the
// centre of its display: positions are scaled from the frame's logical
// size, whatever the device pixels under it.
#include "CTelvane.h"
#include "CVideoFrame.h"
#include "FakeSdk.h"
#include "TestConfigDir.h"
#include "XInput.h"

#include <QApplication>
#include <QtTest>

using namespace tvsdk;

class TestHiDpiClick : public QObject
{
    Q_OBJECT
private slots:
    void clickAtCentreReachesCentre();
};

void TestHiDpiClick::clickAtCentreReachesCentre()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CTelvane w;
    w.setLoginResult(7, 3, 1920, 1080);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatioF(), 1.5);
    QVERIFY(w.startRealPlay() > 0);
    auto *video = w.findChild<CVideoFrame *>();
    sdk.clearCalls();
    QVERIFY(XInput::click(video));
    QTRY_COMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdSendJson).size(), 2); // press, release
    const QByteArray press =
        sdk.callsOf(FakeSdkCall::Net, NetOrdSendJson).first().args.at(4).toByteArray();
    const int nAt = press.indexOf("\"P2\" : \"0x");
    QVERIFY2(nAt >= 0, press.constData());
    const uint nP2 = press.mid(nAt + 10, 8).toUInt(nullptr, 16);
    // An odd device size leaves half a pixel either way.
    QVERIFY2(qAbs(int(nP2 >> 16) - 960) <= 1 && qAbs(int(nP2 & 0xffff) - 540) <= 1,
             press.constData());
}

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "1.5");
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TestHiDpiClick test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi_click.moc"
