// The login dialog under real keys and clicks on an X server, with the
// program's own application object and its key filter: where the keyboard
// focus goes around a failed login, and typing into the address octets.
#include "CGlobalApplication.h"
#include "CMyIpAddrEdit.h"
#include "CMyIpPartLineEdit.h"
#include "FakeSdk.h"
#include "LoginDlgDriver.h"
#include "ModalAnswerer.h"
#include "TestConfigDir.h"
#include "XInput.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tvsdk;

class TestLoginInput : public QObject
{
    Q_OBJECT
private slots:
    void returnLogsInAgainAfterAFailure_data();
    void returnLogsInAgainAfterAFailure();
    void clickIntoAFullOctet_data();
    void clickIntoAFullOctet();

private:
    static void showDialog(CLoginDlg &dialog);
};

void TestLoginInput::showDialog(CLoginDlg &dialog)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(XInput::focusWindow(&dialog));
}

void TestLoginInput::returnLogsInAgainAfterAFailure_data()
{
    QTest::addColumn<QString>("focus"); // a button's text or a field's name
    QTest::addColumn<bool>("bClick");   // the first login by a click on Login, else by Return
    QTest::newRow("Login clicked") << "Login" << true;
    QTest::newRow("Return in the password") << "lineEditPassword" << false;
    QTest::newRow("Return on Cancel") << "Cancel" << false;
}

void TestLoginInput::returnLogsInAgainAfterAFailure()
{
    QFETCH(QString, focus);
    QFETCH(bool, bClick);
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, -1);
    sdk.setLoginError(-11301);
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    showDialog(dialog);
    QWidget *start = focus.startsWith("lineEdit")
                         ? static_cast<QWidget *>(d.edit(qPrintable(focus)))
                         : d.button(focus);
    start->setFocus();
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    ModalAnswerer answerer;

    QVERIFY(bClick ? XInput::click(d.button("Login")) : XInput::key("Return"));
    QTRY_COMPARE(answerer.texts(), QStringList{"Login Fail Password Error"});
    // Without a window manager nothing is sure to hand the keyboard back to
    // the dialog once the notice is gone.
    QVERIFY(XInput::focusWindow(&dialog));
    QCOMPARE(QApplication::focusWidget(), start);
    QVERIFY(XInput::key("Return"));
    QTRY_COMPARE(answerer.texts().size(), 2);
    QCOMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).size(), 2);
    QCOMPARE(rejected.count(), 0);
    QVERIFY(dialog.isVisible());
}

void TestLoginInput::clickIntoAFullOctet_data()
{
    QTest::addColumn<bool>("bFocused"); // the octet had the focus before the click
    QTest::addColumn<QString>("octet"); // after typing 127
    QTest::newRow("first click replaces") << false << "127";
    QTest::newRow("a later click places the caret") << true << "192";
}

void TestLoginInput::clickIntoAFullOctet()
{
    QFETCH(bool, bFocused);
    QFETCH(QString, octet);
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    showDialog(dialog);
    const auto parts = dialog.findChildren<CMyIpPartLineEdit *>();
    CMyIpPartLineEdit *part = parts.at(0);
    LoginDlgDriver(dialog).ipEdit()->setText("192.168.1.10");
    if (bFocused) {
        QVERIFY(XInput::clickAt(part->mapToGlobal(QPoint(4, part->height() / 2))));
        QTRY_VERIFY(part->hasFocus());
    }
    QVERIFY(XInput::click(part));
    // The full stop hands on to the next octet once the digits are through.
    QVERIFY(XInput::type("127."));
    QTRY_VERIFY(parts.at(1)->hasFocus());
    QCOMPARE(part->text(), octet);
}

int main(int argc, char **argv)
{
    CGlobalApplication app(argc, argv);
    TestLoginInput test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logininput.moc"
