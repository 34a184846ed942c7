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
    void init();
    void cleanup();
    void buttonsCarryIconsTipsAndSkinSize();
    void reducedModeShowsCloseAndRefreshOnly();
    void leftDoubleClickMaximisesOnlyWithFullButtons();
    void maximiseAndRestoreSwapIconAndTip();
    void dragMovesWindowWithAnyButton_data();
    void dragMovesWindowWithAnyButton();
    void noDragWhileMaximised();
    void promptsEmitOnlyOnYes_data();
    void promptsEmitOnlyOnYes();
    void refreshEmitsWithoutPrompt();

private:
    void build(bool bFullButtons);
    QToolButton *button(const QString &strTip) const;
    QPoint dragHandle() const { return QPoint(m_pBar->width() / 2, m_pBar->height() / 2); }
    void drag(Qt::MouseButton button, const QPoint &delta);
    static QImage iconImage(const QIcon &icon) { return icon.pixmap(25, 25).toImage(); }
    static QIcon skinIcon(const char *name);

    QWidget *m_pWindow = nullptr;
    CTitleWidget *m_pBar = nullptr;
};

void TestTitleWidget::init()
{
    qApp->setStyleSheet(StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath()));
}

void TestTitleWidget::cleanup()
{
    delete m_pWindow;
    m_pWindow = nullptr;
}

void TestTitleWidget::build(bool bFullButtons)
{
    m_pWindow = new QWidget(nullptr, Qt::FramelessWindowHint);
    m_pBar = new CTitleWidget(m_pWindow, bFullButtons);
    m_pBar->setFixedHeight(45);
    auto *layout = new QVBoxLayout(m_pWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pBar);
    layout->addStretch();
    m_pWindow->setGeometry(100, 80, 600, 400);
    m_pWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
}

QToolButton *TestTitleWidget::button(const QString &strTip) const
{
    for (QToolButton *b : m_pBar->findChildren<QToolButton *>(QStringLiteral("SysBtn")))
        if (b->toolTip() == strTip)
            return b;
    return nullptr;
}

QIcon TestTitleWidget::skinIcon(const char *name)
{
    return QIcon(QCoreApplication::applicationDirPath() + "/skin/icons/" + name);
}

void TestTitleWidget::drag(Qt::MouseButton button, const QPoint &delta)
{
    const QPoint local = dragHandle();
    const QPoint globalStart = m_pBar->mapToGlobal(local);
    QTest::mousePress(m_pBar, button, Qt::NoModifier, local);
    QMouseEvent move(QEvent::MouseMove, local + delta, globalStart + delta, Qt::NoButton, button,
                     Qt::NoModifier);
    QApplication::sendEvent(m_pBar, &move);
    QTest::mouseRelease(m_pBar, button, Qt::NoModifier, m_pBar->mapFromGlobal(globalStart + delta));
}

void TestTitleWidget::buttonsCarryIconsTipsAndSkinSize()
{
    build(true);
    QCOMPARE(m_pBar->objectName(), QString("TitleWidget"));
    const char *icons[] = {"sys_cls.png", "sys_max.png", "sys_min.png", "sys_exit.png",
                           "sys_refresh.png"};
    const QStringList tips = {"Close", "Max", "Min", "Logout", "Refresh resolution"};
    for (int i = 0; i < tips.size(); ++i) {
        QToolButton *b = button(tips.at(i));
        QVERIFY2(b, qPrintable(tips.at(i)));
        QCOMPARE(b->size(), QSize(25, 25));
        QVERIFY(!b->icon().isNull());
        QCOMPARE(iconImage(b->icon()), iconImage(skinIcon(icons[i])));
    }
    auto *logo = m_pBar->findChild<QLabel *>(QStringLiteral("labelLogo"));
    QVERIFY(logo);
    QCOMPARE(logo->pixmap(Qt::ReturnByValue).size(), QSize(30, 30));
    auto *title = m_pBar->findChild<QLabel *>(QStringLiteral("labelTitle"));
    QCOMPARE(title->text(), QString("Remote Control"));
}

void TestTitleWidget::reducedModeShowsCloseAndRefreshOnly()
{
    build(false);
    QStringList visible;
    for (QToolButton *b : m_pBar->findChildren<QToolButton *>())
        if (b->isVisible())
            visible << b->toolTip();
    visible.sort();
    QCOMPARE(visible, QStringList({"Close", "Refresh resolution"}));
}

void TestTitleWidget::leftDoubleClickMaximisesOnlyWithFullButtons()
{
    build(false);
    QTest::mouseDClick(m_pBar, Qt::LeftButton, Qt::NoModifier, dragHandle());
    QVERIFY(!(m_pWindow->windowState() & Qt::WindowMaximized));
    cleanup();

    build(true);
    QTest::mouseDClick(m_pBar, Qt::RightButton, Qt::NoModifier, dragHandle());
    QVERIFY(!(m_pWindow->windowState() & Qt::WindowMaximized));
    QTest::mouseDClick(m_pBar, Qt::LeftButton, Qt::NoModifier, dragHandle());
    QTRY_VERIFY(m_pWindow->windowState() & Qt::WindowMaximized);
    QVERIFY(button("Normal"));
    QTest::mouseDClick(m_pBar, Qt::LeftButton, Qt::NoModifier, dragHandle());
    QTRY_VERIFY(!(m_pWindow->windowState() & Qt::WindowMaximized));
    QVERIFY(button("Max"));
}

void TestTitleWidget::maximiseAndRestoreSwapIconAndTip()
{
    build(true);
    QToolButton *max = button("Max");
    QVERIFY(max);
    QTest::mouseClick(max, Qt::LeftButton);
    QTRY_VERIFY(m_pWindow->windowState() & Qt::WindowMaximized);
    QCOMPARE(max->toolTip(), QString("Normal"));
    QCOMPARE(iconImage(max->icon()), iconImage(skinIcon("sys_normal.png")));
    QTest::mouseClick(max, Qt::LeftButton);
    QTRY_VERIFY(!(m_pWindow->windowState() & Qt::WindowMaximized));
    QCOMPARE(max->toolTip(), QString("Max"));
    QCOMPARE(iconImage(max->icon()), iconImage(skinIcon("sys_max.png")));
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

void TestTitleWidget::noDragWhileMaximised()
{
    build(true);
    QTest::mouseClick(button("Max"), Qt::LeftButton);
    QTRY_VERIFY(m_pWindow->windowState() & Qt::WindowMaximized);
    const QPoint maximised = m_pWindow->pos();
    drag(Qt::LeftButton, QPoint(40, 40));
    QCOMPARE(m_pWindow->pos(), maximised);
}

void TestTitleWidget::promptsEmitOnlyOnYes_data()
{
    QTest::addColumn<QString>("strTip");
    QTest::addColumn<QString>("strSignal");
    QTest::addColumn<QString>("strQuestion");
    QTest::addColumn<int>("nAnswer"); // button index, -1 closes the box
    QTest::addColumn<bool>("bEmitted");
    const QString closeSig = SIGNAL(closeSignal());
    const QString exitSig = SIGNAL(exitSignal());
    const QString closeText = "Do you want to close?";
    const QString exitText = "Do you want to logout?";
    QTest::newRow("close yes") << "Close" << closeSig << closeText << 0 << true;
    QTest::newRow("close no") << "Close" << closeSig << closeText << 1 << false;
    QTest::newRow("close dismissed") << "Close" << closeSig << closeText << -1 << false;
    QTest::newRow("logout yes") << "Logout" << exitSig << exitText << 0 << true;
    QTest::newRow("logout no") << "Logout" << exitSig << exitText << 1 << false;
    QTest::newRow("logout dismissed") << "Logout" << exitSig << exitText << -1 << false;
}

void TestTitleWidget::promptsEmitOnlyOnYes()
{
    QFETCH(QString, strTip);
    QFETCH(QString, strSignal);
    QFETCH(QString, strQuestion);
    QFETCH(int, nAnswer);
    QFETCH(bool, bEmitted);
    build(true);
    QSignalSpy spy(m_pBar, strSignal.toLatin1().constData());
    MessageBoxDriver driver(nAnswer < 0 ? MessageBoxDriver::closeVeil()
                                        : MessageBoxDriver::clickButton(nAnswer));
    QTest::mouseClick(button(strTip), Qt::LeftButton);
    QTRY_VERIFY(driver.seen.bShown);
    QTRY_COMPARE(spy.count(), bEmitted ? 1 : 0);
    QCOMPARE(driver.seen.strText, strQuestion);
    QCOMPARE(driver.seen.strTitle, QString("Prompt"));
    QCOMPARE(driver.seen.buttonTexts, QStringList({"Yes", "No"}));
    QCOMPARE(driver.seen.veilGeometry, m_pWindow->geometry());
}

void TestTitleWidget::refreshEmitsWithoutPrompt()
{
    build(true);
    QSignalSpy spy(m_pBar, SIGNAL(refreshResolution()));
    QTest::mouseClick(button("Refresh resolution"), Qt::LeftButton);
    QTest::mouseClick(button("Refresh resolution"), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!(w->objectName() == "CMessageBox" && w->isVisible()));
}

QTEST_MAIN(TestTitleWidget)
#include "tst_titlewidget.moc"
