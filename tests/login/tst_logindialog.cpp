// The login dialog as a user meets it: the shipped skin and translations,
// real keys and clicks through an X server, and the program's own
// application object with its key filter.
#include "CGlobalApplication.h"
#include "CMyIpAddrEdit.h"
#include "CMyIpPartLineEdit.h"
#include "FakeSdk.h"
#include "LoginDlgDriver.h"
#include "ModalAnswerer.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"
#include "XInput.h"

#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>
#include <algorithm>

using namespace tvsdk;

namespace {
QRect boxOf(const QWidget *widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint()), widget->size());
}

bool isGrey(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).hsvSaturation() > 64)
                return false;
    return true;
}

void showFocused(CLoginDlg &dialog)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(XInput::focusWindow(&dialog));
}
} // namespace

class TestLoginDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rowsEndOnTheFieldsEdge_data();
    void rowsEndOnTheFieldsEdge();
    void disabledButtonLooksDisabled();
    void returnLogsInAgainAfterAFailure_data();
    void returnLogsInAgainAfterAFailure();
    void clickIntoAFullOctet_data();
    void clickIntoAFullOctet();
};

void TestLoginDialog::initTestCase()
{
    const QString sheet = StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath());
    QVERIFY2(sheet.contains("WhiteToolButton"), "the skin is not beside the test");
    qApp->setStyleSheet(sheet);
}

void TestLoginDialog::rowsEndOnTheFieldsEdge_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("nLoginType");
    for (const char *language : {"English", "Russian", "Portugues(Br)"})
        for (int nType : {0, 1})
            QTest::addRow("%s, %s", language, nType ? "cloud" : "IP") << language << nType;
}

void TestLoginDialog::rowsEndOnTheFieldsEdge()
{
    QFETCH(QString, language);
    QFETCH(int, nLoginType);
    TestConfigDir dir;
    QTranslator translator; // leaves the application when destroyed
    const QString file =
        StartupFiles::translationFile(QCoreApplication::applicationDirPath(), language);
    QVERIFY(file.isEmpty() || translator.load(file));
    QCoreApplication::installTranslator(&translator);
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    d.loginType()->setCurrentIndex(nLoginType);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const QRect field = boxOf(d.edit("lineEditUserName"));
    auto buttons = dialog.findChildren<QPushButton *>("WhiteToolButton");
    std::sort(buttons.begin(), buttons.end(),
              [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
    QCOMPARE(boxOf(buttons.first()).left(), field.left());
    QCOMPARE(boxOf(d.check("checkBoxSaveInfo")).left(), field.left());
    QCOMPARE(boxOf(buttons.last()).right() - field.right(), 0);
    QCOMPARE(boxOf(d.check("checkBoxAutoLogin")).right() - field.right(), 0);
}

// The skin's rule for the dialog's buttons outranks the generic disabled
// look: a busy dialog must not look ready.
void TestLoginDialog::disabledButtonLooksDisabled()
{
    TestConfigDir dir;
    CLoginDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton *login = LoginDlgDriver(dialog).button("Login");
    QVERIFY(!isGrey(login->grab().toImage()));
    login->setEnabled(false);
    QVERIFY(isGrey(login->grab().toImage()));
}

void TestLoginDialog::returnLogsInAgainAfterAFailure_data()
{
    QTest::addColumn<QString>("focus"); // a button's text or a field's name
    QTest::addColumn<bool>("bClick");   // the first login by a click on Login, else by Return
    QTest::newRow("Login clicked") << "Login" << true;
    QTest::newRow("Return in the password") << "lineEditPassword" << false;
    QTest::newRow("Return on Cancel") << "Cancel" << false;
}

void TestLoginDialog::returnLogsInAgainAfterAFailure()
{
    QFETCH(QString, focus);
    QFETCH(bool, bClick);
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, -1);
    sdk.setLoginError(-11301);
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    showFocused(dialog);
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
}

void TestLoginDialog::clickIntoAFullOctet_data()
{
    QTest::addColumn<bool>("bFocused"); // the octet had the focus before the click
    QTest::addColumn<QString>("octet"); // after typing 127
    QTest::newRow("first click replaces") << false << "127";
    QTest::newRow("a later click places the caret") << true << "192";
}

void TestLoginDialog::clickIntoAFullOctet()
{
    QFETCH(bool, bFocused);
    QFETCH(QString, octet);
    TestConfigDir dir;
    CLoginDlg dialog;
    showFocused(dialog);
    const auto parts = dialog.findChildren<CMyIpPartLineEdit *>();
    LoginDlgDriver(dialog).ipEdit()->setText("192.168.1.10");
    if (bFocused) {
        QVERIFY(XInput::clickAt(parts.at(0)->mapToGlobal(QPoint(4, parts.at(0)->height() / 2))));
        QTRY_VERIFY(parts.at(0)->hasFocus());
    }
    QVERIFY(XInput::click(parts.at(0)));
    // The full stop hands on to the next octet once the digits are through.
    QVERIFY(XInput::type("127."));
    QTRY_VERIFY(parts.at(1)->hasFocus());
    QCOMPARE(parts.at(0)->text(), octet);
}

int main(int argc, char **argv)
{
    CGlobalApplication app(argc, argv);
    TestLoginDialog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logindialog.moc"
