// A live session whose recorder misbehaves: killed, hung, dropped, or
// sending what is not the protocol in the middle of the stream. Each must
// end with one "Device Disconnect" notice and the request to relaunch,
// within the SDK's time-outs, with everything stored in Config.ini kept, and
// the main window must then close its dead session without hanging.
#include "CTelvane.h"
#include "ConfigKeys.h"
#include "FaultProxy.h"
#include "ModalAnswerer.h"
#include "SessionRig.h"
#include "SimProcess.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

class TestFaultsSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recorderFailsMidStream_data();
    void recorderFailsMidStream();
};

void TestFaultsSession::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QString error;
    QVERIFY2(SessionRig::bindSdks(error), qPrintable(error));
}

void TestFaultsSession::recorderFailsMidStream_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<int>("boundMs");
    // The silent login sets keep-alive 3 s, dead after 6 s of silence. The
    // bound is ten times what a quiet machine takes.
    QTest::newRow("SIGKILL") << QStringList() << int(FaultProxy::None) << true << 3000;
    QTest::newRow("hang-after") << QStringList{"--hang-after", "2"} << int(FaultProxy::None)
                                << false << 10 * 9000;
    QTest::newRow("drop-after") << QStringList{"--drop-after", "2"} << int(FaultProxy::None)
                                << false << 4000;
    QTest::newRow("garbage") << QStringList() << int(FaultProxy::Garbage) << false << 3000;
    QTest::newRow("huge length") << QStringList() << int(FaultProxy::HugeLength) << false << 3000;
    QTest::newRow("half a frame") << QStringList() << int(FaultProxy::HalfFrame) << false
                                  << 10 * 6000;
}

void TestFaultsSession::recorderFailsMidStream()
{
    QFETCH(QStringList, simArgs);
    QFETCH(int, fault);
    QFETCH(bool, kill);
    QFETCH(int, boundMs);
    TestConfigDir dir;
    dir.writeRaw(SessionRig::savedUserConfig());
    SimProcess sim;
    QVERIFY(sim.start(simArgs));
    // Frames 0-4 are the login's and the stream start's; 30 is well into
    // the stream.
    FaultProxy proxy(sim.port(), FaultProxy::Fault(fault), 30);
    const quint16 port = proxy.start();
    QVERIFY(port != 0);

    auto window = std::make_unique<CTelvane>();
    QVERIFY(SessionRig::openSession(port, *window));
    QTRY_VERIFY_WITH_TIMEOUT(proxy.forwarded() > 20 || proxy.injected(), 10000);
    auto stored = SessionRig::storedValues();
    stored.insert(ConfigKeys::kAutoLogin, "0");

    ModalAnswerer answerer;
    if (kill)
        sim.kill();
    qint64 elapsed = 0;
    QCOMPARE(SessionRig::runUntilExit(boundMs + 5000, elapsed), 1111);
    QVERIFY2(elapsed < boundMs, qPrintable(QString("took %1 ms").arg(elapsed)));
    QCOMPARE(answerer.texts(), QStringList{"Device Disconnect"});
    QCOMPARE(SessionRig::storedValues(), stored);

    QElapsedTimer closing;
    closing.start();
    window.reset();
    QVERIFY2(closing.elapsed() < 3000,
             qPrintable(QString("closing took %1 ms").arg(closing.elapsed())));
}

QTEST_MAIN(TestFaultsSession)
#include "tst_faults_session.moc"
