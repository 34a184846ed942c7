// Both logins against the recording SDK double: the calls they make, in
// order and with their arguments, what they tell the user, and what they
// leave in Config.ini.
#include "AppConfig.h"
#include "ConfigKeys.h"
#include "FakeSdk.h"
#include "LoginDlgDriver.h"
#include "ModalAnswerer.h"
#include "Relauncher.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <QTimer>
#include <array>
#include <climits>
#include <qpa/qwindowsysteminterface.h>

using namespace tvsdk;

namespace {
constexpr const char *kSerial = "ABCDEF0123456789";

QVariantList argsOf(const FakeSdk &sdk, int ordinal, int index = 0)
{
    const QList<FakeSdkCall> calls = sdk.callsOf(FakeSdkCall::Net, ordinal);
    return index < calls.size() ? calls.at(index).args : QVariantList();
}

QByteArray deviceInfo(int a, int b, const QByteArray &text)
{
    std::array<unsigned char, DeviceInfo::kSize> raw{};
    writeInt32(raw.data(), DeviceInfo::kChannelBaseA, a);
    writeInt32(raw.data(), DeviceInfo::kChannelBaseB, b);
    QByteArray record(reinterpret_cast<const char *>(raw.data()), int(raw.size()));
    record.replace(int(DeviceInfo::kErrorText), text.size(), text);
    return record;
}
// Input the way the window system hands it over: queued for the next pass
// of event processing that takes user input, where QTest delivers at once.
using Queued = QWindowSystemInterface::AsynchronousDelivery;

void queueClick(QWidget *target)
{
    QWindow *window = target->window()->windowHandle();
    const QPoint centre = target->rect().center();
    const QPointF local = target->mapTo(target->window(), centre);
    const QPointF global = target->mapToGlobal(centre);
    QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::LeftButton,
                                                     Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::NoButton,
                                                     Qt::LeftButton, QEvent::MouseButtonRelease);
}

void queueReturn(QWidget *target)
{
    QWindow *window = target->window()->windowHandle();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QWindowSystemInterface::handleKeyEvent<Queued>(window, type, Qt::Key_Return, Qt::NoModifier,
                                                       QStringLiteral("\r"));
}

// A language change ends the event loop before one runs; the request
// stays pending and would end the next nested loop (a message box) at once.
void clearPendingExit()
{
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}
} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void defaultsWithoutFile();
    void addressLogin();
    void channelSum_data();
    void channelSum();
    void cloudLogin();
    void silentLogin();
    void failures_data();
    void failures();
    void errorTexts_data();
    void errorTexts();
    void portFieldTakesOnlyPorts_data();
    void portFieldTakesOnlyPorts();
    void loginCode();
    void savedValues();
    void cloudLoginRewritesHiddenFields();
    void serialLengthCheckedFirst();
    void returnAgainstKeypadEnter();
    void returnDuringLoginIgnored();
    void inputDuringLoginWaits_data();
    void inputDuringLoginWaits();
    void languageChange();
    void portugueseShowsEnglish();
    void loginTypeOutOfRangeIsAddress_data();
    void loginTypeOutOfRangeIsAddress();
    void commandLineValues();
    void traceMasksPassword();
    void traceEscapesWhatItDidNotWrite();
    void unterminatedErrorTextBounded();
    void unusableAddressNeverReachesSdk_data();
    void unusableAddressNeverReachesSdk();
};

void TestLogin::initTestCase()
{
    // Closing the last window would end the message boxes' nested loops.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestLogin::defaultsWithoutFile()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    QCOMPARE(d.loginType()->currentIndex(), 0);
    QCOMPARE(d.ipEdit()->text(), QString("192.168.1.10"));
    QCOMPARE(d.edit("lineEditPort")->text(), QString("34567"));
    QCOMPARE(d.edit("lineEditUserName")->text(), QString("admin"));
    QVERIFY(d.edit("lineEditPassword")->text().isEmpty());
    QVERIFY(!d.check("checkBoxSaveInfo")->isChecked());
    QVERIFY(!d.check("checkBoxAutoLogin")->isChecked());
    QCOMPARE(d.languageBox()->currentText(), QString("English"));
    QCOMPARE(dialog.size(), QSize(550, 420));
    QCOMPARE(dialog.objectName(), QString("MainFrame"));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog.loginResult().nLoginHandle, -1);
    QCOMPARE(dialog.loginResult().nChannel, -1);
    QVERIFY(sdk.calls().isEmpty());
}

void TestLogin::addressLogin()
{
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setDeviceInfo(deviceInfo(2, 3, "SN-1"));
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.fillAddress("10.1.2.3", "34568", "admin", "pw");
    d.clickLogin();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(sdk.sequence(), QStringList({"N89", "N57", "N96", "N31", "N31"}));
    QCOMPARE(argsOf(sdk, NetOrdSetConnectTime), QVariantList({2000, 2}));
    const QVariantList login = argsOf(sdk, NetOrdLogin);
    QCOMPARE(login.at(0).toByteArray(), QByteArray("10.1.2.3"));
    QCOMPARE(login.at(1).toInt(), 34568);
    QCOMPARE(login.at(2).toByteArray(), QByteArray("admin"));
    QCOMPARE(login.at(3).toByteArray(), QByteArray("pw"));
    QCOMPARE(login.at(5).toInt(), kLoginKindAddress);
    QCOMPARE(argsOf(sdk, NetOrdSetKeepLife), QVariantList({7, 5, 10}));
    const QVariantList function = argsOf(sdk, NetOrdGetDevConfig, 0);
    QCOMPARE(function.at(1).toInt(), kCmdSystemFunction);
    QCOMPARE(function.at(2).toInt(), -1);
    QCOMPARE(function.at(3).toByteArray(), QByteArray(229, '\0'));
    QCOMPARE(function.at(5).toInt(), 5000);
    const QVariantList resolution = argsOf(sdk, NetOrdGetDevConfig, 1);
    QCOMPARE(resolution.at(1).toInt(), kCmdDisplayResolution);
    QCOMPARE(resolution.at(4).toInt(), 8);
    QCOMPARE(resolution.at(5).toInt(), 1000);
    QCOMPARE(dialog.loginResult().nLoginHandle, 7);
    QCOMPARE(dialog.loginResult().nChannel, 5);
    QCOMPARE(dialog.loginResult().nDevWidth, 1920);
    QCOMPARE(dialog.loginResult().nDevHeight, 1080);
}

void TestLogin::channelSum_data()
{
    QTest::addColumn<int>("nA");
    QTest::addColumn<int>("nB");
    QTest::addColumn<int>("nChannel");
    QTest::newRow("plain") << 2 << 3 << 5;
    QTest::newRow("past the largest int") << INT_MAX << 1 << INT_MIN;
    QTest::newRow("past the smallest int") << INT_MIN << -1 << INT_MAX;
}

// Whatever the device SDK reports, the sum is 32-bit arithmetic, never an
// overflow (which the sanitized build reports).
void TestLogin::channelSum()
{
    QFETCH(int, nA);
    QFETCH(int, nB);
    QFETCH(int, nChannel);
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setDeviceInfo(deviceInfo(nA, nB, "SN-1"));
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.fillAddress("10.1.2.3", "34568", "admin", "pw");
    d.clickLogin();
    QCOMPARE(dialog.loginResult().nChannel, nChannel);
}

void TestLogin::cloudLogin()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.fillCloud(kSerial, "viewer", "");
    QCOMPARE(dialog.size(), QSize(550, 400));
    QVERIFY(d.ipEdit()->isHidden() && !d.edit("lineEditCloud")->isHidden());
    d.clickLogin();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(sdk.sequence(), QStringList({"N89", "N57", "N41", "N96", "N31", "N31"}));
    QCOMPARE(argsOf(sdk, NetOrdSetConnectTime), QVariantList({8000, 2}));
    const QVariantList login = argsOf(sdk, NetOrdLogin);
    QCOMPARE(login.at(0).toByteArray(), QByteArray(kSerial));
    QCOMPARE(login.at(1).toInt(), 0);
    QCOMPARE(login.at(5).toInt(), kLoginKindCloud);
    d.loginType()->setCurrentIndex(0);
    QCOMPARE(dialog.size(), QSize(550, 450));
}

void TestLogin::silentLogin()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    ModalAnswerer answerer;
    QVERIFY(dialog.onLoginDevice());
    QCOMPARE(sdk.sequence(), QStringList({"N57", "N31", "N31", "N96"}));
    QCOMPARE(argsOf(sdk, NetOrdSetKeepLife), QVariantList({7, 3, 6}));
    QVERIFY(answerer.texts().isEmpty());
    QCOMPARE(AppConfig::readInt(ConfigKeys::kLoginType, -1), 0);
}

void TestLogin::failures_data()
{
    QTest::addColumn<bool>("cloud");
    QTest::addColumn<int>("loginResult");
    QTest::addColumn<int>("lastError");
    QTest::addColumn<int>("command9");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<int>("command127");
    QTest::addColumn<QByteArray>("size");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QStringList>("calls");
    const QStringList throughConfig{"N89", "N57", "N96", "N31", "N62"};
    const QStringList throughSize{"N89", "N57", "N96", "N31", "N31", "N62"};
    const QByteArray sized; // the double's 1920 x 1080
    QTest::newRow("login fails") << false << 0 << 0 << 0 << true << 0 << sized << "Login Fail 0"
                                 << QStringList({"N89", "N57"});
    QTest::newRow("agent") << true << 9 << kErrorAgentLogin << 0 << true << 0 << sized
                           << "Agent login, unable to operate"
                           << QStringList({"N89", "N57", "N41", "N62"});
    QTest::newRow("command 9 fails") << false << 9 << 0 << -3 << true << 0 << sized
                                     << "Get System Function Fail nRet = -3" << throughConfig;
    QTest::newRow("no remote control") << false << 9 << 0 << 0 << false << 0 << sized
                                       << "Device Not Support Remote Ctrl" << throughConfig;
    QTest::newRow("command 127 fails") << false << 9 << 0 << 0 << true << -2 << sized
                                       << "Get VGA Resolution Fail nRet = -2" << throughSize;
    // No mouse position could be scaled to a display of no size.
    QTest::newRow("display 0 x 0") << false << 9 << 0 << 0 << true << 0 << QByteArray(8, '\0')
                                   << "Get VGA Resolution Fail nRet = 0" << throughSize;
    QTest::newRow("display height -1")
        << false << 9 << 0 << 0 << true << 0 << QByteArray("\xff\xff\xff\xff\x80\x07\0\0", 8)
        << "Get VGA Resolution Fail nRet = 0" << throughSize;
}

void TestLogin::failures()
{
    QFETCH(bool, cloud);
    QFETCH(int, loginResult);
    QFETCH(int, lastError);
    QFETCH(int, command9);
    QFETCH(bool, flag);
    QFETCH(int, command127);
    QFETCH(QByteArray, size);
    QFETCH(QString, prompt);
    QFETCH(QStringList, calls);
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, loginResult);
    sdk.setLastError(lastError);
    sdk.setConfigResult(kCmdSystemFunction, command9);
    if (!flag)
        sdk.setConfigRecord(kCmdSystemFunction, QByteArray(229, '\0'));
    sdk.setConfigResult(kCmdDisplayResolution, command127);
    if (!size.isEmpty())
        sdk.setConfigRecord(kCmdDisplayResolution, size);
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.check("checkBoxSaveInfo")->setChecked(true);
    if (cloud)
        d.fillCloud(kSerial, "admin", "");
    else
        d.fillAddress("10.0.0.5", "34567", "admin", "");
    auto *answerer = new ModalAnswerer;
    d.clickLogin();
    QCOMPARE(answerer->texts(), QStringList({prompt}));
    delete answerer;
    QCOMPARE(sdk.sequence(), calls);
    if (calls.contains("N62")) {
        QCOMPARE(argsOf(sdk, NetOrdLogout), QVariantList({loginResult}));
        QCOMPARE(dialog.loginResult().nLoginHandle, -1);
    }
    QVERIFY(dialog.result() != QDialog::Accepted);
    QVERIFY(!QFile::exists(dir.filePath()));

    // The silent login says nothing but the agent's prompt, and fails alike.
    sdk.clearCalls();
    ModalAnswerer silent;
    QVERIFY(!dialog.onLoginDevice());
    QCOMPARE(silent.texts(), cloud ? QStringList({prompt}) : QStringList());
    QVERIFY(!sdk.sequence().contains("N89"));
    QVERIFY(!QFile::exists(dir.filePath()));
}

void TestLogin::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("-10005") << -10005 << "Time Out";
    QTest::newRow("-11300") << -11300 << "No Power";
    QTest::newRow("-11301") << -11301 << "Password Error";
    QTest::newRow("-11302") << -11302 << "User Not Exist";
    QTest::newRow("-11303") << -11303 << "User Locked";
    QTest::newRow("-11304") << -11304 << "User In Blacklist";
    QTest::newRow("-11306") << -11306 << "-11306";
    QTest::newRow("-11307") << -11307 << "Not Find Device";
    QTest::newRow("-11308") << -11308 << "Password Error";
    QTest::newRow("-11309") << -11309 << "-11309";
    QTest::newRow("-11314") << -11314 << "Password Error";
    QTest::newRow("-11315") << -11315 << "Password Error";
    QTest::newRow("-11316") << -11316 << "User Reserved";
    QTest::newRow("-11318") << -11318 << "Password Error";
    QTest::newRow("0") << 0 << "0";
}

void TestLogin::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, -1);
    sdk.setLoginError(code);
    CLoginDlg dialog;
    QCOMPARE(dialog.parseErrorInfo(code), text);
    ModalAnswerer answerer;
    LoginDlgDriver(dialog).clickLogin();
    QCOMPARE(answerer.texts(), QStringList({"Login Fail " + text}));
}

void TestLogin::portFieldTakesOnlyPorts_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("port");
    QTest::newRow("65535") << "65535"
                           << "65535";
    QTest::newRow("70000") << "70000"
                           << "7000";
    QTest::newRow("99999") << "99999"
                           << "9999";
    QTest::newRow("six digits") << "123456"
                                << "12345";
    QTest::newRow("+80") << "+80"
                         << "80";
    QTest::newRow("-1") << "-1"
                        << "1";
    QTest::newRow("8 a 0") << "8a 0"
                           << "80";
}

void TestLogin::portFieldTakesOnlyPorts()
{
    QFETCH(QString, keys);
    QFETCH(QString, port);
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    QLineEdit *edit = LoginDlgDriver(dialog).edit("lineEditPort");
    edit->clear();
    QTest::keyClicks(edit, keys);
    QCOMPARE(edit->text(), port);
}

void TestLogin::loginCode()
{
    for (int encrypt : {1, 0}) {
        TestConfigDir dir;
        dir.writeRaw(QByteArray("[RemoteCtrlDevInfo]\nEncrypt=") + QByteArray::number(encrypt) +
                     "\nEncryptCode=7\n");
        FakeSdk sdk;
        CLoginDlg dialog;
        LoginDlgDriver(dialog).clickLogin();
        const QByteArray record = argsOf(sdk, NetOrdLogin).at(4).toByteArray();
        QCOMPARE(record.size(), 832);
        const QByteArray expected = encrypt ? QByteArray("\x07\0\0\0", 4) : QByteArray(4, '\0');
        QCOMPARE(record.mid(828), expected);
        QCOMPARE(record.left(828), QByteArray(828, '\0'));
    }
}

void TestLogin::savedValues()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlDevInfo]\nIP=10.9.9.9\nUserName=old\nPassword=oldpw\nCloud=X\n");
    FakeSdk sdk;
    {
        CLoginDlg dialog;
        LoginDlgDriver d(dialog);
        d.fillAddress("10.1.1.1", "80", "new", "newpw");
        d.check("checkBoxAutoLogin")->setChecked(true);
        QVERIFY(d.check("checkBoxSaveInfo")->isChecked());
        d.check("checkBoxSaveInfo")->setChecked(false);
        QVERIFY(d.check("checkBoxAutoLogin")->isChecked());
        d.clickLogin();
    }
    QCOMPARE(AppConfig::readInt(ConfigKeys::kSaveInfo, -1), 0);
    QCOMPARE(AppConfig::readInt(ConfigKeys::kAutoLogin, -1), 1);
    QCOMPARE(AppConfig::readText(ConfigKeys::kIp, ""), QString("10.9.9.9"));
    QCOMPARE(AppConfig::readText(ConfigKeys::kPassword, ""), QString("oldpw"));
    {
        CLoginDlg dialog;
        LoginDlgDriver d(dialog);
        d.fillAddress("10.1.1.1", "80", "new", "a;b=c #d");
        d.check("checkBoxSaveInfo")->setChecked(true);
        d.clickLogin();
    }
    QCOMPARE(AppConfig::readText(ConfigKeys::kIp, ""), QString("10.1.1.1"));
    QCOMPARE(AppConfig::readInt(ConfigKeys::kPort, 0), 80);
    QCOMPARE(AppConfig::readText(ConfigKeys::kUserName, ""), QString("new"));
    QCOMPARE(AppConfig::readText(ConfigKeys::kPassword, ""), QString("a;b=c #d"));
    CLoginDlg reopened;
    QCOMPARE(LoginDlgDriver(reopened).edit("lineEditPassword")->text(), QString("a;b=c #d"));
}

void TestLogin::cloudLoginRewritesHiddenFields()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.fillAddress("10.2.2.2", "81", "admin", "");
    d.fillCloud(kSerial, "admin", "");
    d.check("checkBoxSaveInfo")->setChecked(true);
    d.clickLogin();
    QCOMPARE(AppConfig::readInt(ConfigKeys::kLoginType, -1), 1);
    QCOMPARE(AppConfig::readText(ConfigKeys::kIp, ""), QString("10.2.2.2"));
    QCOMPARE(AppConfig::readInt(ConfigKeys::kPort, 0), 81);
    QCOMPARE(AppConfig::readText(ConfigKeys::kCloud, ""), QString(kSerial));
}

void TestLogin::serialLengthCheckedFirst()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    ModalAnswerer answerer;
    d.fillCloud("12345678901", "", "");
    d.clickLogin();
    d.fillCloud("1234567890", "", "");
    d.clickLogin();
    d.fillAddress("10.0.0.1", "", "admin", "");
    d.clickLogin();
    QCOMPARE(answerer.texts(), QStringList({"Wrong serial format!", "Input Device Information",
                                            "Input Device Information"}));
    QVERIFY(sdk.calls().isEmpty());
}

void TestLogin::returnAgainstKeypadEnter()
{
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, -1);
    CLoginDlg dialog;
    dialog.show();
    LoginDlgDriver d(dialog);
    ModalAnswerer answerer;
    for (const char *field : {"lineEditPort", "lineEditUserName", "lineEditPassword"}) {
        QTest::keyClick(d.edit(field), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).size(), 0);
    }
    int logins = 0;
    for (const char *field : {"lineEditPort", "lineEditUserName", "lineEditPassword"}) {
        QTest::keyClick(d.edit(field), Qt::Key_Return);
        QCOMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).size(), ++logins);
    }
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
}

void TestLogin::returnDuringLoginIgnored()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    dialog.show();
    LoginDlgDriver d(dialog);
    // Delivered by the one pass of event processing before the blocking call.
    QCoreApplication::postEvent(&dialog,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
    d.clickLogin();
    QCOMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).size(), 1);
    QVERIFY(d.button("Login")->isEnabled());
}

void TestLogin::inputDuringLoginWaits_data()
{
    QTest::addColumn<bool>("cancel"); // else Return
    QTest::addColumn<int>("loginResult");
    QTest::newRow("Cancel, login succeeds") << true << 7;
    QTest::newRow("Cancel, login fails") << true << -1;
    QTest::newRow("Return, login succeeds") << false << 7;
    QTest::newRow("Return, login fails") << false << -1;
}

void TestLogin::inputDuringLoginWaits()
{
    QFETCH(bool, cancel);
    QFETCH(int, loginResult);
    const bool bSucceeds = loginResult > 0;
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, loginResult);
    CLoginDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    LoginDlgDriver d(dialog);
    d.edit("lineEditPassword")->setFocus();
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    ModalAnswerer answerer;
    // Made by the user just as the login starts, so pending during its
    // repaint before the blocking call.
    if (cancel)
        queueClick(d.button("Cancel"));
    else
        queueReturn(d.edit("lineEditPassword"));
    bool bLooksBusy = false;
    QTimer::singleShot(0, &dialog, [&] { // during that repaint
        const QCursor *cursor = QApplication::overrideCursor();
        bLooksBusy = cursor && cursor->shape() == Qt::WaitCursor && !d.button("Login")->isEnabled();
    });
    d.clickLogin();
    QVERIFY(bLooksBusy);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(rejected.count(), 0);
    QCOMPARE(dialog.result(), int(bSucceeds ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(dialog.isVisible(), !bSucceeds);
    QCOMPARE(answerer.texts().size(), bSucceeds ? 0 : 1);
    // Delivered late, the input starts no second login and undoes no success.
    QCoreApplication::processEvents();
    QCOMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).size(), 1);
    QCOMPARE(dialog.result(), int(bSucceeds ? QDialog::Accepted : QDialog::Rejected));
}

void TestLogin::languageChange()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlTheme]\nSolution=Russian\n");
    FakeSdk sdk;
    int relaunches = 0;
    Relauncher::setStarter([&relaunches](const QString &) { return ++relaunches, true; });
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    QCOMPARE(d.languageBox()->currentIndex(), 1);
    QCOMPARE(relaunches, 0);
    d.languageBox()->setCurrentIndex(0);
    QCOMPARE(relaunches, 1);
    QCOMPARE(AppConfig::readText(ConfigKeys::kLanguage, ""), QString("English"));
    Relauncher::setStarter(nullptr);
    clearPendingExit();
}

void TestLogin::portugueseShowsEnglish()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlTheme]\nSolution=Portugues(Br)\n");
    FakeSdk sdk;
    int relaunches = 0;
    Relauncher::setStarter([&relaunches](const QString &) { return ++relaunches, true; });
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    QCOMPARE(d.languageBox()->currentIndex(), 0);
    QCOMPARE(relaunches, 0);
    d.languageBox()->setCurrentIndex(1);
    QCOMPARE(relaunches, 1);
    QCOMPARE(AppConfig::readText(ConfigKeys::kLanguage, ""), QString("Russian"));
    Relauncher::setStarter(nullptr);
    clearPendingExit();
}

void TestLogin::loginTypeOutOfRangeIsAddress_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<QString>("type");
    QTest::newRow("stored 2") << true << "2";
    QTest::newRow("stored -1") << true << "-1";
    QTest::newRow("command line 2") << false << "2";
    QTest::newRow("command line x") << false << "x";
}

void TestLogin::loginTypeOutOfRangeIsAddress()
{
    QFETCH(bool, fromFile);
    QFETCH(QString, type);
    TestConfigDir dir;
    if (fromFile)
        dir.writeRaw(QString("[RemoteCtrlSystem]\nLoginType=%1\n[RemoteCtrlDevInfo]\nCloud=%2\n")
                         .arg(type, kSerial)
                         .toLatin1());
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    if (!fromFile)
        dialog.setLoginInfo(type, "10.0.0.4", kSerial, "34567", "admin", "", "English");
    QCOMPARE(d.loginType()->currentIndex(), 0);
    QVERIFY(!d.ipEdit()->isHidden() && d.edit("lineEditCloud")->isHidden());
    QVERIFY(dialog.onLoginDevice());
    QCOMPARE(argsOf(sdk, NetOrdLogin).at(5).toInt(), kLoginKindAddress);
    QCOMPARE(AppConfig::readInt(ConfigKeys::kLoginType, -1), 0);
}

void TestLogin::commandLineValues()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlSystem]\nSaveInfo=1\n");
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    dialog.setLoginInfo("1", "10.3.3.3", kSerial, "9000", "op", "pw", "Russian");
    QCOMPARE(d.loginType()->currentIndex(), 1);
    QVERIFY(!d.edit("lineEditCloud")->isHidden());
    QCOMPARE(d.ipEdit()->text(), QString("10.3.3.3"));
    QCOMPARE(d.edit("lineEditPort")->text(), QString("9000"));
    QCOMPARE(AppConfig::readText(ConfigKeys::kLanguage, ""), QString("Russian"));
    QVERIFY(dialog.onLoginDevice());
    const QVariantList login = argsOf(sdk, NetOrdLogin);
    QCOMPARE(login.at(0).toByteArray(), QByteArray(kSerial));
    QCOMPARE(login.at(2).toByteArray(), QByteArray("op"));
}

void TestLogin::traceMasksPassword()
{
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setDeviceInfo(deviceInfo(0, 0, "SN123"));
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.fillAddress("10.0.0.2", "34567", "admin", "s3cret");
    QTest::ignoreMessage(QtDebugMsg,
                         "IP: 10.0.0.2 Port: 34567 UserName: admin Password: ****** Error: SN123");
    QVERIFY(dialog.onLoginDevice());
    d.fillCloud(kSerial, "admin", "s3cret");
    QTest::ignoreMessage(QtDebugMsg, QString("Cloud: %1 UserName: admin Password: ****** "
                                             "Error: SN123")
                                         .arg(kSerial)
                                         .toLatin1());
    QVERIFY(dialog.onLoginDevice());
}

// A recorder's text must not forge trace lines or drive a terminal.
void TestLogin::traceEscapesWhatItDidNotWrite()
{
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setDeviceInfo(deviceInfo(0, 0, "SN1\x1b[2J\r\nIP: 6.6.6.6\\"));
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.fillAddress("10.0.0.2", "34567", QString::fromUtf8("ad\tmin\u2028"), "s3cret");
    QTest::ignoreMessage(QtDebugMsg,
                         "IP: 10.0.0.2 Port: 34567 UserName: ad\\tmin\\u2028 Password: ****** "
                         "Error: SN1\\x1b[2J\\r\\nIP: 6.6.6.6\\\\");
    QVERIFY(dialog.onLoginDevice());
}

void TestLogin::unterminatedErrorTextBounded()
{
    TestConfigDir dir;
    FakeSdk sdk;
    // Text from offset 444 to the very end of the record, with no zero.
    QByteArray record = deviceInfo(0, 0, QByteArray());
    record.replace(444, 832 - 444, QByteArray(832 - 444, 'A'));
    sdk.setDeviceInfo(record);
    CLoginDlg dialog;
    QTest::ignoreMessage(QtDebugMsg, QString("IP: 192.168.1.10 Port: 34567 UserName: admin "
                                             "Password: ****** Error: %1")
                                         .arg(QString(388, 'A'))
                                         .toLatin1());
    QVERIFY(dialog.onLoginDevice());
}

void TestLogin::unusableAddressNeverReachesSdk_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("blankOctet"); // -1: none
    QTest::addColumn<QString>("port");
    QTest::newRow("port above 65535") << "10.0.0.1" << -1 << "65536";
    QTest::newRow("port wraps to 80") << "10.0.0.1" << -1 << "65616";
    QTest::newRow("port negative") << "10.0.0.1" << -1 << "-1";
    QTest::newRow("port not a number") << "10.0.0.1" << -1 << "12a";
    QTest::newRow("port blank inside") << "10.0.0.1" << -1 << " 80";
    QTest::newRow("address blank") << "" << -1 << "80";
    QTest::newRow("address incomplete") << "10.0.0" << -1 << "80";
    QTest::newRow("third octet blank") << "192.168.7.1" << 2 << "80";
    QTest::newRow("last octet blank") << "192.168.7.1" << 3 << "80";
}

void TestLogin::unusableAddressNeverReachesSdk()
{
    QFETCH(QString, ip);
    QFETCH(int, blankOctet);
    QFETCH(QString, port);
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    dialog.setLoginInfo("0", ip, "", port, "admin", "", "English");
    if (blankOctet >= 0) // the parts, left to right
        LoginDlgDriver(dialog).ipEdit()->findChildren<QLineEdit *>().at(blankOctet)->clear();
    QVERIFY(!dialog.onLoginDevice());
    ModalAnswerer answerer;
    LoginDlgDriver(dialog).clickLogin();
    QCOMPARE(answerer.texts(), QStringList({"Input Device Information"}));
    QVERIFY(sdk.calls().isEmpty());
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
