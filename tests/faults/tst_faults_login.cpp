// Logins to a recorder that misbehaves while the login or its capability
// checks run. The interactive login must show exactly one failure prompt,
// return within the SDK's time-outs, leave no session open, write nothing to
// Config.ini, and leave the dialog ready for the next attempt.
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "FaultProxy.h"
#include "ModalAnswerer.h"
#include "SessionRig.h"
#include "SimProcess.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {
QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestFaultsLogin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void loginAgainstFaultyRecorder_data();
    void loginAgainstFaultyRecorder();
    void refusedRealPlayAsksForRelaunch();
};

void TestFaultsLogin::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QString error;
    QVERIFY2(SessionRig::bindSdks(error), qPrintable(error));
}

void TestFaultsLogin::loginAgainstFaultyRecorder_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("atFrame");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<int>("boundMs");
    const int none = FaultProxy::None;
    // Frame 0 is the challenge, 1 the login reply, 2 the command 9 reply.
    // The interactive login connects for 2000 ms, twice; command 9 waits
    // 5000 ms. The bound is ten times what a quiet machine takes: a failure
    // must come, and those that wait for a time-out wait that long.
    QTest::newRow("hang-after during checks")
        << QStringList{"--hang-after", "0"} << none << 0 << "Get System Function Fail nRet = -10005"
        << 10 * 5000;
    // The recorder may close before or after its login reply is out.
    QTest::newRow("drop-after during checks")
        << QStringList{"--drop-after", "0"} << none << 0
        << "Login Fail -10009|Get System Function Fail nRet = -\\d+" << 2000;
    QTest::newRow("config 127 fails") << QStringList{"--fail-config", "127"} << none << 0
                                      << "Get VGA Resolution Fail nRet = -10013" << 2000;
    QTest::newRow("silent after half a challenge")
        << QStringList() << int(FaultProxy::HalfFrame) << 0 << "Login Fail Time Out" << 10 * 4000;
    QTest::newRow("garbage for a challenge")
        << QStringList() << int(FaultProxy::Garbage) << 0 << "Login Fail -10008" << 2000;
    QTest::newRow("huge length for a challenge")
        << QStringList() << int(FaultProxy::HugeLength) << 0 << "Login Fail -10008" << 2000;
    QTest::newRow("half a capability reply")
        << QStringList() << int(FaultProxy::HalfFrame) << 2
        << "Get System Function Fail nRet = -10005" << 10 * 5000;
}

void TestFaultsLogin::loginAgainstFaultyRecorder()
{
    QFETCH(QStringList, simArgs);
    QFETCH(int, fault);
    QFETCH(int, atFrame);
    QFETCH(QString, prompt);
    QFETCH(int, boundMs);
    TestConfigDir dir;
    dir.writeRaw(SessionRig::savedUserConfig());
    SimProcess sim;
    QVERIFY(sim.start(simArgs));
    FaultProxy proxy(sim.port(), FaultProxy::Fault(fault), atFrame);
    const quint16 port = proxy.start();
    QVERIFY(port != 0);

    CTelvane window; // as at start-up: the main window initialises the SDK
    CLoginDlg dialog;
    dialog.setLoginInfo("0", "127.0.0.1", "", QString::number(port), "admin", "", "English");
    const QByteArray before = fileBytes(dir.filePath());
    ModalAnswerer answerer;
    QElapsedTimer clock;
    clock.start();
    dialog.on_btnLogin_clicked();
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY2(QRegularExpression("^(" + prompt + ")$").match(answerer.texts().first()).hasMatch(),
             qPrintable(answerer.texts().first()));
    QVERIFY2(elapsed < boundMs, qPrintable(QString("took %1 ms").arg(elapsed)));
    QVERIFY(dialog.loginResult().nLoginHandle <= 0);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(fileBytes(dir.filePath()), before);
    bool loginEnabled = false;
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        loginEnabled |= button->text() == "Login" && button->isEnabled();
    QVERIFY(loginEnabled);
}

void TestFaultsLogin::refusedRealPlayAsksForRelaunch()
{
    TestConfigDir dir;
    dir.writeRaw(SessionRig::savedUserConfig());
    SimProcess sim;
    QVERIFY(sim.start({"--refuse-realplay"}));
    CTelvane window;
    ModalAnswerer answerer;
    QVERIFY(!SessionRig::openSession(sim.port(), window));
    auto stored = SessionRig::storedValues();
    stored.insert("RemoteCtrlSystem/AutoLogin", "0");
    qint64 elapsed = 0;
    QCOMPARE(SessionRig::runUntilExit(5000, elapsed), 1111);
    QCOMPARE(answerer.texts(), QStringList{"Start RealPlay Fail nRet = -10010"});
    QCOMPARE(SessionRig::storedValues(), stored);
}

QTEST_MAIN(TestFaultsLogin)
#include "tst_faults_login.moc"
