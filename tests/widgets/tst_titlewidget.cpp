#include "CTitleWidget.h"
#include "MessageBoxDriver.h"
#include "StartupFiles.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

class TestTitleWidget : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { delete m_pWindow; }
    void buttonsKeepIconsAndSizeUnderTheSkin();
    void reducedModeHasCloseAndRefreshAndNoDoubleClick();
    void maximiseSwapsIconAndTipAndStopsDragging();
    void dragMovesWindowWithAnyButton_data();
    void dragMovesWindowWithAnyButton();
    void promptsEmitOnlyOnYes_data();
    void promptsEmitOnlyOnYes();
    void refreshEmitsWithoutPrompt();

private:
    void build(bool bFullButtons);
    QToolButton *button(const QString &strTip) const;
    void drag(Qt::MouseButton button, const QPoint &delta);
    bool maximised() const { return m_pWindow->windowState() & Qt::WindowMaximized; }
    static bool iconIs(QToolButton *b, const QString &strFile);

    QWidget *m_pWindow = nullptr;
    CTitleWidget *m_pBar = nullptr;
    QPoint m_ptHandle{300, 22}; // on the bar, away from the buttons
};

void TestTitleWidget::build(bool bFullButtons)
{
    qApp->setStyleSheet(StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath()));
    m_pWindow = new QWidget(nullptr, Qt::FramelessWindowHint);
    m_pBar = new CTitleWidget(m_pWindow, bFullButtons);
    m_pBar->setFixedHeight(45);
    auto *layout = new QVBoxLayout(m_pWindow);
    layout->addWidget(m_pBar);
    layout->addStretch();
    m_pWindow->setGeometry(100, 80, 600, 400);
    m_pWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
}

QToolButton *TestTitleWidget::button(const QString &strTip) const
{
    for (QToolButton *b : m_pBar->findChildren<QToolButton *>("SysBtn"))
        if (b->toolTip() == strTip)
            return b;
    return nullptr;
}

bool TestTitleWidget::iconIs(QToolButton *b, const QString &strFile)
{
    const QIcon file(QCoreApplication::applicationDirPath() + "/skin/icons/" + strFile);
    return !file.isNull() && b->icon().pixmap(25).toImage() == file.pixmap(25).toImage();
}

void TestTitleWidget::drag(Qt::MouseButton button, const QPoint &delta)
{
    const QPoint global = m_pBar->mapToGlobal(m_ptHandle);
    QTest::mousePress(m_pBar, button, Qt::NoModifier, m_ptHandle);
    QMouseEvent move(QEvent::MouseMove, m_ptHandle + delta, global + delta, Qt::NoButton, button,
                     Qt::NoModifier);
    QApplication::sendEvent(m_pBar, &move);
    QTest::mouseRelease(m_pBar, button, Qt::NoModifier, m_pBar->mapFromGlobal(global + delta));
}

void TestTitleWidget::buttonsKeepIconsAndSizeUnderTheSkin()
{
    build(true);
    const QStringList tips = {"Close", "Max", "Min", "Logout", "Refresh resolution"};
    const QStringList icons = {"sys_cls.png", "sys_max.png", "sys_min.png", "sys_exit.png",
                               "sys_refresh.png"};
    for (int i = 0; i < tips.size(); ++i) {
        QToolButton *b = button(tips.at(i));
        QVERIFY2(b && iconIs(b, icons.at(i)), qPrintable(tips.at(i)));
        QCOMPARE(b->size(), QSize(25, 25));
    }
    const QLabel *logo = m_pBar->findChild<QLabel *>("labelLogo");
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    QCOMPARE(logo->pixmap(Qt::ReturnByValue).size(), QSize(30, 30));
#else
    QVERIFY(logo->pixmap());
    QCOMPARE(logo->pixmap()->size(), QSize(30, 30));
#endif
}

void TestTitleWidget::reducedModeHasCloseAndRefreshAndNoDoubleClick()
{
    build(false);
    QStringList visible;
    for (QToolButton *b : m_pBar->findChildren<QToolButton *>())
        if (b->isVisible())
            visible << b->toolTip();
    visible.sort();
    QCOMPARE(visible, QStringList({"Close", "Refresh resolution"}));
    QTest::mouseDClick(m_pBar, Qt::LeftButton, Qt::NoModifier, m_ptHandle);
    QVERIFY(!maximised());
}

void TestTitleWidget::maximiseSwapsIconAndTipAndStopsDragging()
{
    build(true);
    QToolButton *max = button("Max");
    QTest::mouseDClick(m_pBar, Qt::RightButton, Qt::NoModifier, m_ptHandle);
    QVERIFY(!maximised());
    QTest::mouseDClick(m_pBar, Qt::LeftButton, Qt::NoModifier, m_ptHandle);
    QTRY_VERIFY(maximised());
    QCOMPARE(max->toolTip(), QString("Normal"));
    QVERIFY(iconIs(max, "sys_normal.png"));
    const QPoint pos = m_pWindow->pos();
    drag(Qt::LeftButton, QPoint(40, 40));
    QCOMPARE(m_pWindow->pos(), pos);
    QTest::mouseClick(max, Qt::LeftButton);
    QTRY_VERIFY(!maximised());
    QCOMPARE(max->toolTip(), QString("Max"));
    QVERIFY(iconIs(max, "sys_max.png"));
}

void TestTitleWidget::dragMovesWindowWithAnyButton_data()
{
    QTest::addColumn<int>("nButton");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
}

void TestTitleWidget::dragMovesWindowWithAnyButton()
{
    QFETCH(int, nButton);
    build(true);
    const QPoint start = m_pWindow->pos();
    drag(Qt::MouseButton(nButton), QPoint(37, 21));
    QTRY_COMPARE(m_pWindow->pos(), start + QPoint(37, 21));
}

void TestTitleWidget::promptsEmitOnlyOnYes_data()
{
    QTest::addColumn<QString>("strTip");
    QTest::addColumn<int>("nAnswer"); // button index, -1 closes the box
    QTest::addColumn<bool>("bEmitted");
    for (const char *tip : {"Close", "Logout"}) {
        QTest::addRow("%s yes", tip) << tip << 0 << true;
        QTest::addRow("%s no", tip) << tip << 1 << false;
        QTest::addRow("%s dismissed", tip) << tip << -1 << false;
    }
}

void TestTitleWidget::promptsEmitOnlyOnYes()
{
    QFETCH(QString, strTip);
    QFETCH(int, nAnswer);
    QFETCH(bool, bEmitted);
    build(true);
    const bool bClose = strTip == "Close";
    QSignalSpy spy(m_pBar, bClose ? SIGNAL(closeSignal()) : SIGNAL(exitSignal()));
    MessageBoxDriver driver(nAnswer);
    QTest::mouseClick(button(strTip), Qt::LeftButton);
    QTRY_VERIFY(driver.seen.bShown);
    QTRY_COMPARE(spy.count(), bEmitted ? 1 : 0);
    QCOMPARE(driver.seen.strText,
             QString(bClose ? "Do you want to close?" : "Do you want to logout?"));
    QCOMPARE(driver.seen.buttonTexts, QStringList({"Yes", "No"}));
    QCOMPARE(driver.seen.veilGeometry, m_pWindow->geometry());
}

void TestTitleWidget::refreshEmitsWithoutPrompt()
{
    build(true);
    QSignalSpy spy(m_pBar, SIGNAL(refreshResolution()));
    QTest::mouseClick(button("Refresh resolution"), Qt::LeftButton);
    QTest::mouseClick(button("Refresh resolution"), Qt::LeftButton);
    QCOMPARE(spy.count(), 2); // synchronously: no modal prompt came between
}

QTEST_MAIN(TestTitleWidget)
#include "tst_titlewidget.moc"
