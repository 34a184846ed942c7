#include "CMessageBox.h"
#include "MessageBoxDriver.h"
#include "StartupFiles.h"
#include "WindowTranslucency.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { WindowTranslucency::force(std::nullopt); }
    void resultIsTheButtonIndex_data();
    void resultIsTheButtonIndex();
    void emptyFirstTextGivesToolkitOk();
    void veilCoversParentAndBoxIsCentredOnDesktop();
    void veilDarkensWhatItCovers_data();
    void veilDarkensWhatItCovers();
    void boxStaysOnItsOwnersScreen_data();
    void boxStaysOnItsOwnersScreen();
};

// The box as it ships: the skin's rules must not change its sizes.
void TestMessageBox::initTestCase()
{
    const QString sheet = StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath());
    QVERIFY2(sheet.contains("WhiteToolButton"), "the skin is not beside the test");
    qApp->setStyleSheet(sheet);
}

void TestMessageBox::resultIsTheButtonIndex_data()
{
    QTest::addColumn<int>("nAnswer");
    QTest::addColumn<int>("nResult");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("third") << 2 << 2;
    QTest::newRow("veil closed: no button, not the first")
        << int(MessageBoxDriver::kCloseVeil) << -1;
    QTest::newRow("box window closed: the same") << int(MessageBoxDriver::kCloseBox) << -1;
}

void TestMessageBox::resultIsTheButtonIndex()
{
    QFETCH(int, nAnswer);
    QFETCH(int, nResult);
    QWidget window;
    window.setGeometry(40, 30, 500, 320);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxDriver driver(nAnswer);
    QCOMPARE(CMessageBox::warning(&window, "Prompt", "Choose", "A", "B", "C", 0, -1), nResult);
    QVERIFY2(!driver.seen.bStuck, "the veil outlived the box and blocked the program");
    QCOMPARE(driver.seen.buttonTexts, QStringList({"A", "B", "C"}));
}

void TestMessageBox::emptyFirstTextGivesToolkitOk()
{
    MessageBoxDriver driver(0);
    QCOMPARE(CMessageBox::information(nullptr, "Prompt", "Done", QString(), QString()), 0);
    QCOMPARE(driver.seen.buttonTexts, QStringList({QDialogButtonBox::tr("OK")}));
    QCOMPARE(driver.seen.buttonSize, QSize(70, 25));
    QCOMPARE(driver.seen.strTitle, QString("Prompt"));
    QVERIFY(driver.seen.bHasIcon);
    QVERIFY(driver.seen.bMaskRounded);
}

void TestMessageBox::veilCoversParentAndBoxIsCentredOnDesktop()
{
    QWidget window;
    window.setGeometry(40, 30, 500, 320);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxDriver driver(0);
    CMessageBox::information(&window, "Prompt", "Saved", "OK", QString(), QString(), 0, -1, false);
    QCOMPARE(driver.seen.veilGeometry, window.geometry());
    const QRect desktop = QApplication::desktop()->geometry();
    const QRect frame = driver.seen.frameGeometry;
    QVERIFY(frame.width() >= 250);
    QCOMPARE(frame.topLeft(), QPoint((desktop.width() - frame.width()) / 2,
                                     (desktop.height() - frame.height()) / 2));
}

void TestMessageBox::veilDarkensWhatItCovers_data()
{
    QTest::addColumn<bool>("bTranslucent");
    QTest::newRow("compositor: the window system darkens") << true;
    QTest::newRow("no compositor: the veil paints it") << false;
}

// Under the veil: a white window with a red block. Translucent, the veil is
// half-opaque black; opaque, it must itself show both at half brightness.
void TestMessageBox::veilDarkensWhatItCovers()
{
    QFETCH(bool, bTranslucent);
    WindowTranslucency::force(bTranslucent);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setStyleSheet("background: white");
    auto *block = new QWidget(&window);
    block->setStyleSheet("background: red");
    block->setGeometry(0, 0, 100, 100);
    window.setGeometry(40, 30, 500, 320);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxDriver driver(0);
    CMessageBox::information(&window, "Prompt", "Saved", "OK");
    const QImage veil = driver.seen.veilPicture;
    const auto dimmed = [bTranslucent](int v) { return bTranslucent ? 0 : v / 2; };
    QVERIFY(qAbs(driver.seen.veilOpacity - (bTranslucent ? 0.5 : 1.0)) < 0.01);
    for (const QPoint &at : {QPoint(50, 50), QPoint(300, 200)}) {
        const QColor under = at.x() < 100 ? Qt::red : Qt::white;
        const QColor seen = veil.pixelColor(at);
        QVERIFY2(qAbs(seen.red() - dimmed(under.red())) <= 1 &&
                     qAbs(seen.green() - dimmed(under.green())) <= 1,
                 qPrintable(seen.name()));
    }
}

// Two monitors side by side, the primary one on the left: the box belongs
// on the monitor that shows most of its window, never across the seam.
void TestMessageBox::boxStaysOnItsOwnersScreen_data()
{
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QRect>("screen");
    const QRect left(0, 0, 1920, 1080), right(1920, 0, 1280, 1024);
    QTest::newRow("on the right one") << QRect(2000, 100, 900, 600) << right;
    QTest::newRow("on the left one") << QRect(100, 100, 900, 600) << left;
    QTest::newRow("across, mostly right") << QRect(1700, 100, 900, 600) << right;
    QTest::newRow("across, mostly left") << QRect(1400, 100, 900, 600) << left;
    QTest::newRow("no owner: the primary") << QRect() << left;
    QTest::newRow("off every screen: the primary") << QRect(5000, 0, 900, 600) << left;
}

void TestMessageBox::boxStaysOnItsOwnersScreen()
{
    QFETCH(QRect, owner);
    QFETCH(QRect, screen);
    const QRect left(0, 0, 1920, 1080), right(1920, 0, 1280, 1024);
    QCOMPARE(CMessageBox::screenFor(owner, {left, right}, left), screen);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
