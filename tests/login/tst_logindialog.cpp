// The login dialog as a user meets it: the shipped skin and translations,
// real keys and clicks through an X server, and the program's own
// application object with its key filter.
#include "AppConfig.h"
#include "CGlobalApplication.h"
#include "CMyIpAddrEdit.h"
#include "CMyIpPartLineEdit.h"
#include "ConfigKeys.h"
#include "FakeSdk.h"
#include "LoginDlgDriver.h"
#include "ModalAnswerer.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"
#include "XInput.h"

#include <QClipboard>
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

// Counts key releases that reach the program, so that a test knows a key
// was handled even when it changed nothing.
class KeysSeen : public QObject
{
public:
    KeysSeen() { qApp->installEventFilter(this); }
    int count() const { return m_nCount; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Each key reaches its window once, before its widget.
        if (event->type() == QEvent::KeyRelease && watched->isWindowType())
            ++m_nCount;
        return false;
    }

private:
    int m_nCount = 0;
};

QImage look(QWidget *widget)
{
    return widget->grab().toImage();
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
    void returnOnCancelCancels();
    void wheelOverTheLanguageBoxChangesNothing();
    void everyTabStopIsSeen();
    void pasteTakesAWholeAddress_data();
    void pasteTakesAWholeAddress();
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
    QTest::newRow("Return on Login") << "Login" << false;
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
    // No window manager here: the dialog takes the keyboard back itself.
    QTRY_VERIFY(dialog.isActiveWindow());
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

// A focused button takes its own keys: Return on Cancel cancels.
void TestLoginDialog::returnOnCancelCancels()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    showFocused(dialog);
    d.button("Cancel")->setFocus();
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QVERIFY(XInput::key("Return"));
    QTRY_COMPARE(rejected.count(), 1);
    QVERIFY(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).isEmpty());
}

// A choice of language restarts the program and drops the typed password;
// a wheel turned while the pointer passes over the closed box is no choice.
void TestLoginDialog::wheelOverTheLanguageBoxChangesNothing()
{
    TestConfigDir dir;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    showFocused(dialog);
    QComboBox *box = d.languageBox();
    const QPoint centre = box->mapToGlobal(box->rect().center()) * box->devicePixelRatioF();
    KeysSeen seen;
    for (int nNotches : {-1, 1, -2}) {
        QVERIFY(XInput::wheelAt(centre, nNotches));
        // A key after the wheel: once it is in, so is the wheel.
        QVERIFY(XInput::key("shift"));
    }
    QTRY_COMPARE(seen.count(), 3);
    QCOMPARE(box->currentIndex(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(AppConfig::readText(ConfigKeys::kLanguage, "unset"), QString("unset"));
}

// Tab from the language box goes round the form's own order and stops on
// nothing hidden or in the title bar; each stop looks focused.
void TestLoginDialog::everyTabStopIsSeen()
{
    TestConfigDir dir;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    showFocused(dialog);
    QWidget *start = d.languageBox();
    start->setFocus();
    QWidgetList stops{start};
    QStringList names;
    for (int i = 0; i < 20; ++i) {
        QVERIFY(XInput::key("Tab"));
        QTRY_VERIFY(QApplication::focusWidget() != stops.last());
        QWidget *focus = QApplication::focusWidget();
        if (focus == start)
            break;
        stops << focus;
        // The IP editor's four parts are one field to the eye.
        QWidget *field = qobject_cast<CMyIpPartLineEdit *>(focus) ? focus->parentWidget() : focus;
        auto *button = qobject_cast<QPushButton *>(focus);
        const QString name = button ? button->text() : field->objectName();
        if (names.isEmpty() || names.last() != name)
            names << name;
    }
    // The form's chain leaves the IP editor out; the toolkit appends it.
    QCOMPARE(names, QStringList({"comboBoxLoginType", "lineEditPort", "lineEditUserName",
                                 "lineEditPassword", "checkBoxSaveInfo", "checkBoxAutoLogin",
                                 "Login", "Cancel", "lineEditIP"}));
    for (QWidget *stop : stops) {
        // The IP editor's frame, not the caret, must show it.
        const bool bPart = qobject_cast<CMyIpPartLineEdit *>(stop);
        QWidget *field = bPart ? stop->parentWidget() : stop;
        QApplication::focusWidget()->clearFocus();
        QImage before = look(field);
        stop->setFocus(Qt::TabFocusReason);
        QImage after = look(field);
        if (bPart) {
            before = before.copy(0, 0, before.width(), 1);
            after = after.copy(0, 0, after.width(), 1);
        }
        QVERIFY2(before != after, qPrintable(field->objectName()));
    }
}

void TestLoginDialog::pasteTakesAWholeAddress_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("address");
    QTest::newRow("short address") << "10.0.0.5"
                                   << "10.0.0.5";
    QTest::newRow("long address") << "192.168.1.200"
                                  << "192.168.1.200";
    QTest::newRow("with blanks") << " 172.16.0.1\n"
                                 << "172.16.0.1";
    QTest::newRow("one octet") << "25"
                               << "25...";
    for (const char *refused : {"192.168.1", "300.1.1.1", "1234", "10.0.0.5x", "host"})
        QTest::addRow("refused %s", refused) << refused << "...";
}

// Pasted by the keyboard into the first part of an empty editor.
void TestLoginDialog::pasteTakesAWholeAddress()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, address);
    TestConfigDir dir;
    CLoginDlg dialog;
    LoginDlgDriver d(dialog);
    showFocused(dialog);
    d.ipEdit()->setText(QString());
    QApplication::clipboard()->setText(clipboard);
    QVERIFY(XInput::click(dialog.findChildren<CMyIpPartLineEdit *>().at(0)));
    KeysSeen seen;
    QVERIFY(XInput::key("ctrl+v"));
    QTRY_VERIFY(seen.count() > 0);
    QCOMPARE(d.ipEdit()->text(), address);
}

int main(int argc, char **argv)
{
    CGlobalApplication app(argc, argv);
    TestLoginDialog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logindialog.moc"
