#include "CMyIpAddrEdit.h"
#include "CMyIpPartLineEdit.h"

#include <QClipboard>
#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

class TestIpAddrEdit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void setTextTakesOnlyCompleteAddresses_data();
    void setTextTakesOnlyCompleteAddresses();
    void textKeepsEmptyPlaces();
    void typingAdvancesOnlyAfterCompleteOctet_data();
    void typingAdvancesOnlyAfterCompleteOctet();
    void noAdvanceIntoFilledNeighbour();
    void refusesOctetAbove255();
    void fullStopMovesOnlyFromFilledPart();
    void backspaceWalksBackAndClears();
    void arrowsCrossPartEdgesButNotTheEnds();
    void pasteIsBoundByThePart();
    void signalsTellTypingFromSetText();
    void partsAndDotsFollowResize();

private:
    CMyIpPartLineEdit *part(int nIndex) const { return m_parts.at(nIndex); }
    void focusPart(int nIndex);

    QWidget *m_pWindow = nullptr;
    CMyIpAddrEdit *m_pEdit = nullptr;
    QList<CMyIpPartLineEdit *> m_parts;
};

void TestIpAddrEdit::init()
{
    m_pWindow = new QWidget;
    auto *layout = new QVBoxLayout(m_pWindow);
    m_pEdit = new CMyIpAddrEdit(m_pWindow);
    layout->addWidget(m_pEdit);
    m_pWindow->resize(240, 60);
    m_pWindow->show();
    QApplication::setActiveWindow(m_pWindow);
    QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
    m_parts = m_pEdit->findChildren<CMyIpPartLineEdit *>();
    QCOMPARE(m_parts.size(), 4);
    std::sort(m_parts.begin(), m_parts.end(),
              [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
}

void TestIpAddrEdit::cleanup()
{
    delete m_pWindow;
    m_parts.clear();
}

void TestIpAddrEdit::focusPart(int nIndex)
{
    part(nIndex)->setFocus();
    QTRY_VERIFY(part(nIndex)->hasFocus());
}

void TestIpAddrEdit::setTextTakesOnlyCompleteAddresses_data()
{
    QTest::addColumn<QString>("strInput");
    QTest::addColumn<QString>("strText");
    QTest::newRow("valid") << "192.168.1.10"
                           << "192.168.1.10";
    QTest::newRow("padded octets") << "010.001.0.255"
                                   << "010.001.0.255";
    QTest::newRow("incomplete") << "192.168.1."
                                << "...";
    QTest::newRow("octet above 255") << "256.1.1.1"
                                     << "...";
    QTest::newRow("leading space") << " 192.168.1.10"
                                   << "...";
    QTest::newRow("five octets") << "1.2.3.4.5"
                                 << "...";
    QTest::newRow("host name") << "recorder.local"
                               << "...";
}

void TestIpAddrEdit::setTextTakesOnlyCompleteAddresses()
{
    QFETCH(QString, strInput);
    QFETCH(QString, strText);
    m_pEdit->setText("10.0.0.1"); // whatever was there must go on a bad address
    m_pEdit->setText(strInput);
    QCOMPARE(m_pEdit->text(), strText);
}

void TestIpAddrEdit::textKeepsEmptyPlaces()
{
    QCOMPARE(m_pEdit->text(), QString("..."));
    focusPart(0);
    QTest::keyClicks(part(0), "192");
    focusPart(3);
    QTest::keyClicks(part(3), "7");
    QCOMPARE(m_pEdit->text(), QString("192...7"));
}

void TestIpAddrEdit::typingAdvancesOnlyAfterCompleteOctet_data()
{
    QTest::addColumn<QString>("strKeys");
    QTest::addColumn<bool>("bAdvances");
    QTest::newRow("1-9-2") << "192" << true;
    QTest::newRow("3-0") << "30" << true;
    QTest::newRow("2-5") << "25" << false;
    QTest::newRow("1") << "1" << false;
}

void TestIpAddrEdit::typingAdvancesOnlyAfterCompleteOctet()
{
    QFETCH(QString, strKeys);
    QFETCH(bool, bAdvances);
    focusPart(0);
    QTest::keyClicks(part(0), strKeys);
    QCOMPARE(part(0)->text(), strKeys);
    QCOMPARE(part(1)->hasFocus(), bAdvances);
    QCOMPARE(part(0)->hasFocus(), !bAdvances);
}

void TestIpAddrEdit::noAdvanceIntoFilledNeighbour()
{
    m_pEdit->setText("1.168.1.10");
    focusPart(1);
    QTest::keyClick(part(1), Qt::Key_Backtab); // part 0 takes the focus with "1" selected
    QVERIFY(part(0)->hasFocus());
    QCOMPARE(part(0)->selectedText(), QString("1"));
    QTest::keyClicks(part(0), "192");
    QCOMPARE(part(0)->text(), QString("192"));
    QVERIFY(part(0)->hasFocus());
}

void TestIpAddrEdit::refusesOctetAbove255()
{
    m_pEdit->setText("1.1.1.1");
    focusPart(0);
    part(0)->clear();
    QTest::keyClicks(part(0), "256");
    QCOMPARE(part(0)->text(), QString("25"));
    QVERIFY(part(0)->hasFocus());
    QTest::keyClicks(part(0), "-+x ");
    QCOMPARE(part(0)->text(), QString("25"));
    part(0)->clear();
    QTest::keyClicks(part(0), "+9");
    QTest::keyClicks(part(0), "99");
    QCOMPARE(part(0)->text(), QString("99"));
    QCOMPARE(m_pEdit->text(), QString("99.1.1.1"));
}

void TestIpAddrEdit::fullStopMovesOnlyFromFilledPart()
{
    focusPart(0);
    QTest::keyClick(part(0), Qt::Key_Period);
    QVERIFY(part(0)->hasFocus());
    QVERIFY(part(0)->text().isEmpty());

    m_pEdit->setText("10.20.30.40");
    focusPart(0);
    part(0)->setCursorPosition(2);
    QTest::keyClick(part(0), Qt::Key_Period);
    QVERIFY(part(1)->hasFocus());
    QCOMPARE(part(1)->selectedText(), QString("20"));
    QCOMPARE(m_pEdit->text(), QString("10.20.30.40"));

    focusPart(3);
    QTest::keyClick(part(3), Qt::Key_Period);
    QVERIFY(part(3)->hasFocus());
    QCOMPARE(part(3)->text(), QString("40"));
}

void TestIpAddrEdit::backspaceWalksBackAndClears()
{
    m_pEdit->setText("10.20.30.40");
    focusPart(2);
    part(2)->setCursorPosition(2);
    QTest::keyClick(part(2), Qt::Key_Backspace);
    QTest::keyClick(part(2), Qt::Key_Backspace);
    QVERIFY(part(2)->text().isEmpty());
    QVERIFY(part(2)->hasFocus());
    QTest::keyClick(part(2), Qt::Key_Backspace);
    QVERIFY(part(1)->hasFocus());
    QCOMPARE(part(1)->selectedText(), QString("20"));
    QTest::keyClick(part(1), Qt::Key_Backspace);
    QCOMPARE(m_pEdit->text(), QString("10...40"));

    focusPart(0);
    part(0)->clear();
    QTest::keyClick(part(0), Qt::Key_Backspace);
    QVERIFY(part(0)->hasFocus());
}

void TestIpAddrEdit::arrowsCrossPartEdgesButNotTheEnds()
{
    m_pEdit->setText("10.20.30.40");
    focusPart(1);
    part(1)->setCursorPosition(0);
    QTest::keyClick(part(1), Qt::Key_Left);
    QVERIFY(part(0)->hasFocus());
    QCOMPARE(part(0)->cursorPosition(), 2);
    QVERIFY(!part(0)->hasSelectedText());
    QTest::keyClick(part(0), Qt::Key_Right);
    QVERIFY(part(1)->hasFocus());
    QCOMPARE(part(1)->cursorPosition(), 0);

    focusPart(0);
    part(0)->setCursorPosition(0);
    QTest::keyClick(part(0), Qt::Key_Left);
    QVERIFY(part(0)->hasFocus());
    QCOMPARE(part(0)->cursorPosition(), 0);

    focusPart(3);
    part(3)->setCursorPosition(2);
    QTest::keyClick(part(3), Qt::Key_Right);
    QVERIFY(part(3)->hasFocus());
    QCOMPARE(part(3)->cursorPosition(), 2);
}

void TestIpAddrEdit::pasteIsBoundByThePart()
{
    QApplication::clipboard()->setText("192.168.1.10");
    focusPart(0);
    QTest::keySequence(part(0), QKeySequence::Paste);
    QVERIFY(part(0)->text().length() <= 3);
    QCOMPARE(m_pEdit->text().count('.'), 3);
    QVERIFY(part(1)->text().isEmpty());
}

void TestIpAddrEdit::signalsTellTypingFromSetText()
{
    QSignalSpy changed(m_pEdit, SIGNAL(textchanged(QString)));
    QSignalSpy edited(m_pEdit, SIGNAL(textedited(QString)));
    m_pEdit->setText("192.168.1.10");
    QCOMPARE(changed.count(), 4);
    QCOMPARE(changed.last().at(0).toString(), QString("192.168.1.10"));
    QCOMPARE(edited.count(), 0);

    m_pEdit->setText("192.168.1.10");
    QCOMPARE(changed.count(), 4); // nothing changed, nothing told

    focusPart(3);
    part(3)->setCursorPosition(2);
    QTest::keyClick(part(3), Qt::Key_1);
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.last().at(0).toString(), QString("192.168.1.101"));
    QCOMPARE(changed.count(), 5);
}

void TestIpAddrEdit::partsAndDotsFollowResize()
{
    CMyIpAddrEdit edit;
    edit.resize(203, 30);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QList<QWidget *> parts;
    for (QWidget *p : edit.findChildren<CMyIpPartLineEdit *>())
        parts << p;
    QList<QLabel *> dots = edit.findChildren<QLabel *>();
    QCOMPARE(parts.size(), 4);
    QCOMPARE(dots.size(), 3);
    const auto byX = [](QWidget *a, QWidget *b) { return a->x() < b->x(); };
    std::sort(parts.begin(), parts.end(), byX);
    std::sort(dots.begin(), dots.end(), byX);
    const int q = 50;
    for (int i = 0; i < 4; ++i)
        QCOMPARE(parts.at(i)->geometry(), QRect(i * q, 0, i < 3 ? q : 203 - 3 * q, 30));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(dots.at(i)->geometry(), QRect((i + 1) * q - 3, 1, 6, 28));
        QCOMPARE(dots.at(i)->text(), QString(" ."));
    }
}

QTEST_MAIN(TestIpAddrEdit)
#include "tst_ipaddredit.moc"
