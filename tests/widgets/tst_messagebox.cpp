#include "CMessageBox.h"
#include "MessageBoxDriver.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void resultIsTheButtonIndex_data();
    void resultIsTheButtonIndex();
    void emptyFirstTextGivesToolkitOk();
    void veilCoversParentAndBoxIsCentredOnDesktop();
};

void TestMessageBox::resultIsTheButtonIndex_data()
{
    QTest::addColumn<int>("nAnswer"); // button index, -1 closes the veil
    QTest::newRow("first") << 0;
    QTest::newRow("third") << 2;
    QTest::newRow("closed without a button is not the first") << -1;
}

void TestMessageBox::resultIsTheButtonIndex()
{
    QFETCH(int, nAnswer);
    MessageBoxDriver driver(nAnswer);
    QCOMPARE(CMessageBox::warning(nullptr, "Prompt", "Choose", "A", "B", "C", 0, -1), nAnswer);
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

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
