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
    void closedWithoutButtonIsNotTheFirstAnswer();
    void emptyFirstTextGivesToolkitOk();
    void emptyTitleAndTextShowOnlyIconAndButtons();
    void wrapsOnlyRichText_data();
    void wrapsOnlyRichText();
    void veilCoversParentAndBoxIsCentredOnDesktop();
    void withoutParentVeilIsCentredOnDesktop();
};

namespace {
QPoint desktopCentre()
{
    const QRect desktop = QApplication::desktop()->geometry();
    return QPoint(desktop.width() / 2, desktop.height() / 2);
}

QPoint centreOf(const QRect &rect)
{
    return rect.topLeft() + QPoint(rect.width() / 2, rect.height() / 2);
}
} // namespace

void TestMessageBox::resultIsTheButtonIndex_data()
{
    QTest::addColumn<int>("nButton");
    QTest::newRow("first") << 0;
    QTest::newRow("second") << 1;
    QTest::newRow("third") << 2;
}

void TestMessageBox::resultIsTheButtonIndex()
{
    QFETCH(int, nButton);
    MessageBoxDriver driver(MessageBoxDriver::clickButton(nButton));
    const int nResult = CMessageBox::warning(nullptr, "Prompt", "Choose", "A", "B", "C", 0, -1);
    QCOMPARE(driver.seen.buttonTexts, QStringList({"A", "B", "C"}));
    QCOMPARE(nResult, nButton);
}

void TestMessageBox::closedWithoutButtonIsNotTheFirstAnswer()
{
    MessageBoxDriver driver(MessageBoxDriver::closeVeil());
    const int nResult = CMessageBox::question(nullptr, "Prompt", "Sure?", "Yes", "No");
    QVERIFY(driver.seen.bShown);
    QCOMPARE(nResult, CMessageBox::kClosedWithoutButton);
    QVERIFY(nResult != 0 && nResult != 1);
}

void TestMessageBox::emptyFirstTextGivesToolkitOk()
{
    MessageBoxDriver driver(MessageBoxDriver::clickButton(0));
    const int nResult = CMessageBox::information(nullptr, "Prompt", "Done", QString(), QString());
    QCOMPARE(nResult, 0);
    QCOMPARE(driver.seen.buttonTexts, QStringList({QDialogButtonBox::tr("OK")}));
    QCOMPARE(driver.seen.buttonSizes.value(0), QSize(70, 25));
    QCOMPARE(driver.seen.strTitle, QString("Prompt"));
    QVERIFY(driver.seen.bHasIcon);
    QVERIFY(driver.seen.bMaskRounded);
}

void TestMessageBox::emptyTitleAndTextShowOnlyIconAndButtons()
{
    MessageBoxDriver driver(MessageBoxDriver::clickButton(1));
    QCOMPARE(CMessageBox::question(nullptr, QString(), QString(), "Yes", "No"), 1);
    QVERIFY(driver.seen.strTitle.isEmpty());
    QVERIFY(driver.seen.strText.isEmpty());
    QVERIFY(driver.seen.bHasIcon);
    QCOMPARE(driver.seen.buttonTexts.size(), 2);
}

void TestMessageBox::wrapsOnlyRichText_data()
{
    QTest::addColumn<QString>("strText");
    QTest::addColumn<bool>("bWrap");
    QTest::newRow("long plain") << QString("Connection failed ").repeated(12) << false;
    QTest::newRow("html") << QString("<b>Login Fail</b> <a href=\"https://example.org\">help</a>")
                          << true;
}

void TestMessageBox::wrapsOnlyRichText()
{
    QFETCH(QString, strText);
    QFETCH(bool, bWrap);
    MessageBoxDriver driver(MessageBoxDriver::clickButton(0));
    CMessageBox::information(nullptr, "Prompt", strText, "OK");
    QCOMPARE(driver.seen.strText, strText);
    QCOMPARE(driver.seen.bWordWrap, bWrap);
}

void TestMessageBox::veilCoversParentAndBoxIsCentredOnDesktop()
{
    QWidget window;
    window.setGeometry(40, 30, 500, 320);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxDriver driver(MessageBoxDriver::clickButton(0));
    CMessageBox::information(&window, "Prompt", "Saved", "OK", QString(), QString(), 0, -1, false);
    QCOMPARE(driver.seen.veilGeometry, window.geometry());
    const QRect frame = driver.seen.frameGeometry;
    QVERIFY(frame.width() >= 250);
    QVERIFY((centreOf(frame) - desktopCentre()).manhattanLength() <= 2);
}

void TestMessageBox::withoutParentVeilIsCentredOnDesktop()
{
    MessageBoxDriver driver(MessageBoxDriver::clickButton(0));
    CMessageBox::information(nullptr, "Prompt", "No window", "OK");
    QVERIFY((centreOf(driver.seen.veilGeometry) - desktopCentre()).manhattanLength() <= 2);
    QVERIFY((centreOf(driver.seen.frameGeometry) - desktopCentre()).manhattanLength() <= 2);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
