// The login dialog under a window manager, driven by real keys alone: the
// keyboard comes back to the dialog when a notice over it is answered.
#include "CGlobalApplication.h"
#include "CMessageBox.h"
#include "CTelvane.h"
#include "FakeSdk.h"
#include "LoginDlgDriver.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"
#include "WindowManager.h"
#include "XInput.h"

#include <QtTest>

using namespace tvsdk;

namespace {
// Answers each notice with a real Return once the notice holds the
// keyboard. The notice runs a nested loop inside the key that raised it, so
// the answer comes from a timer.
class ReturnAnswerer : public QObject
{
public:
    ReturnAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &ReturnAnswerer::poll);
        m_timer.start(10);
    }
    int answered() const { return m_nAnswered; }

private:
    void poll()
    {
        QWidget *active = QApplication::activeWindow();
        if (CMessageBox::openCount() == 0 || !active || active->objectName() != "CMessageBox" ||
            active->property("tvAnswered").toBool())
            return;
        // A user answers a notice that the manager shows as active.
        if (WindowManager::activeWindow() != quintptr(active->winId()))
            return;
        active->setProperty("tvAnswered", true);
        if (XInput::key("Return"))
            ++m_nAnswered;
    }

    QTimer m_timer;
    int m_nAnswered = 0;
};
} // namespace

class TestLoginDialogWm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void keyboardComesBackAfterANotice();

private:
    void twoLogins(CLoginDlg &dialog, FakeSdk &sdk);

    WindowManager m_manager;
};

void TestLoginDialogWm::initTestCase()
{
    qApp->setStyleSheet(StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath()));
    QVERIFY(m_manager.start());
}

// A wrong password, Return on the notice, and Return again logs in again.
// The dialog runs modally, as start-up runs it.
void TestLoginDialogWm::keyboardComesBackAfterANotice()
{
    TestConfigDir dir;
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, NetOrdLogin, -1);
    sdk.setLoginError(-11301);
    CTelvane window; // built first, as start-up builds it
    CLoginDlg dialog;
    // The pointer away from the dialog: the keyboard alone is used.
    QVERIFY(XInput::moveTo(QPoint(1, 1)));
    QTimer::singleShot(0, [&] {
        twoLogins(dialog, sdk);
        dialog.reject();
    });
    dialog.exec();
}

void TestLoginDialogWm::twoLogins(CLoginDlg &dialog, FakeSdk &sdk)
{
    // The manager gives a new window the keyboard.
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    LoginDlgDriver(dialog).edit("lineEditPassword")->setFocus();
    ReturnAnswerer answerer;
    for (int nLogin = 1; nLogin <= 2; ++nLogin) {
        QVERIFY(XInput::key("Return"));
        QTRY_COMPARE(answerer.answered(), nLogin);
        QTRY_COMPARE(CMessageBox::openCount(), 0);
        // The manager's word, not only the toolkit's.
        QTRY_COMPARE(WindowManager::activeWindow(), quintptr(dialog.winId()));
        QTRY_COMPARE(sdk.callsOf(FakeSdkCall::Net, NetOrdLogin).size(), nLogin);
    }
}

int main(int argc, char **argv)
{
    CGlobalApplication app(argc, argv);
    TestLoginDialogWm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logindialog_wm.moc"
