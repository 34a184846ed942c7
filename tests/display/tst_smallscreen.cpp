// The windows on a 1366x768 X server at 100 dpi with no desktop setting,
// scaled by QT_SCALE_FACTOR as ctest sets it (1.5 and 2): the scale is
// exactly the one asked for, and every window opens wholly inside the
// screen, however it is resized later.
#include "CGlobalApplication.h"
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "FakeSdk.h"
#include "HighDpiSetup.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"

#include <QComboBox>
#include <QScreen>
#include <QtTest>

class TestSmallScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void scaledExactly();
    void windowsFit();

private:
    void verifyInside(QWidget &window);
};

void TestSmallScreen::initTestCase()
{
    qApp->setStyleSheet(StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath()));
}

// Physical DPI is no setting: a 100-dpi server must not add 4 %.
void TestSmallScreen::scaledExactly()
{
    const qreal factor = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    QCOMPARE(qApp->devicePixelRatio(), factor);
}

void TestSmallScreen::verifyInside(QWidget &window)
{
    const QRect area = window.screen()->availableGeometry();
    QVERIFY2(area.contains(window.frameGeometry()), qPrintable(QString("%1 at %2,%3 %4x%5")
                                                                   .arg(window.objectName())
                                                                   .arg(window.x())
                                                                   .arg(window.y())
                                                                   .arg(window.width())
                                                                   .arg(window.height())));
}

void TestSmallScreen::windowsFit()
{
    TestConfigDir dir;
    FakeSdk sdk;
    CTelvane main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    verifyInside(main);
    CLoginDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    verifyInside(dialog);
    // Each login type resizes the dialog.
    for (int nType : {1, 0}) {
        dialog.findChild<QComboBox *>("comboBoxLoginType")->setCurrentIndex(nType);
        verifyInside(dialog);
    }
}

int main(int argc, char **argv)
{
    HighDpiSetup::apply();
    CGlobalApplication app(argc, argv);
    TestSmallScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallscreen.moc"
