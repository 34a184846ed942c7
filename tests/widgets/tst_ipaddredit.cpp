#include "CMyIpAddrEdit.h"
#include "CMyIpPartLineEdit.h"

#include <QtTest>

class TestIpAddrEdit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void setTextTakesOnlyCompleteAddresses_data();
    void setTextTakesOnlyCompleteAddresses();
    void typingAdvancesOnlyIntoEmptyNeighbour_data();
    void typingAdvancesOnlyIntoEmptyNeighbour();
    void refusesAnythingButAnOctet();
    void fullStopAndBackspaceWalkBetweenParts();
    void arrowsCrossPartEdgesButNotTheEnds();

private:
    CMyIpPartLineEdit *part(int nIndex) const { return m_parts.at(nIndex); }
    void focusPart(int nIndex, int nCursor = -1);

    CMyIpAddrEdit *m_pEdit = nullptr;
    QList<CMyIpPartLineEdit *> m_parts;
};

void TestIpAddrEdit::init()
{
    m_pEdit = new CMyIpAddrEdit;
    m_pEdit->resize(200, 30);
    m_pEdit->show();
    QApplication::setActiveWindow(m_pEdit);
    QVERIFY(QTest::qWaitForWindowActive(m_pEdit));
    m_parts = m_pEdit->findChildren<CMyIpPartLineEdit *>();
    QCOMPARE(m_parts.size(), 4);
    std::sort(m_parts.begin(), m_parts.end(),
              [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
}

void TestIpAddrEdit::cleanup()
{
    delete m_pEdit;
}

void TestIpAddrEdit::focusPart(int nIndex, int nCursor)
{
    part(nIndex)->setFocus();
    QTRY_VERIFY(part(nIndex)->hasFocus());
    if (nCursor >= 0)
        part(nIndex)->setCursorPosition(nCursor);
}

void TestIpAddrEdit::setTextTakesOnlyCompleteAddresses_data()
{
    QTest::addColumn<QString>("strInput");
    QTest::addColumn<QString>("strText");
    QTest::newRow("valid") << "192.168.1.10"
                           << "192.168.1.10";
    // A leading zero would be read as octal: 010 is 8 to an address parser.
    QTest::newRow("padded octets") << "010.001.000.255"
                                   << "10.1.0.255";
    QTest::newRow("incomplete") << "192.168.1."
                                << "...";
    QTest::newRow("octet above 255") << "256.1.1.1"
                                     << "...";
    QTest::newRow("leading space") << " 192.168.1.10"
                                   << "...";
    QTest::newRow("five octets") << "1.2.3.4.5"
                                 << "...";
}

void TestIpAddrEdit::setTextTakesOnlyCompleteAddresses()
{
    QFETCH(QString, strInput);
    QFETCH(QString, strText);
    m_pEdit->setText("10.0.0.1"); // a bad address must clear what was there
    m_pEdit->setText(strInput);
    QCOMPARE(m_pEdit->text(), strText);
}

void TestIpAddrEdit::typingAdvancesOnlyIntoEmptyNeighbour_data()
{
    QTest::addColumn<QString>("strKeys");
    QTest::addColumn<QString>("strNeighbour");
    QTest::addColumn<bool>("bAdvances");
    QTest::addColumn<QString>("strAddress");
    QTest::newRow("1-9-2") << "192"
                           << "" << true << "192...";
    QTest::newRow("3-0") << "30"
                         << "" << true << "30...";
    QTest::newRow("2-5") << "25"
                         << "" << false << "25...";
    QTest::newRow("1-9-2, neighbour filled") << "192"
                                             << "168" << false << "192.168..";
    QTest::newRow("0-1-0") << "010"
                           << "" << true << "10...";
}

void TestIpAddrEdit::typingAdvancesOnlyIntoEmptyNeighbour()
{
    QFETCH(QString, strKeys);
    QFETCH(QString, strNeighbour);
    QFETCH(bool, bAdvances);
    QFETCH(QString, strAddress);
    part(1)->setText(strNeighbour);
    focusPart(0);
    QTest::keyClicks(part(0), strKeys);
    QCOMPARE(part(0)->text(), strKeys);
    QCOMPARE(part(1)->hasFocus(), bAdvances);
    QCOMPARE(m_pEdit->text(), strAddress);
}

void TestIpAddrEdit::refusesAnythingButAnOctet()
{
    m_pEdit->setText("1.1.1.1");
    focusPart(0);
    part(0)->clear();
    QTest::keyClicks(part(0), "256");
    QCOMPARE(part(0)->text(), QString("25"));
    QVERIFY(part(0)->hasFocus());
    QTest::keyClicks(part(0), "-+x ");
    part(0)->clear();
    QTest::keyClicks(part(0), "+999");
    QCOMPARE(m_pEdit->text(), QString("99.1.1.1"));
}

void TestIpAddrEdit::fullStopAndBackspaceWalkBetweenParts()
{
    QTest::keyClick(part(0), Qt::Key_Period); // empty part: stays
    QVERIFY(part(0)->hasFocus());
    m_pEdit->setText("10.20.30.40");
    focusPart(0, 2);
    QTest::keyClick(part(0), Qt::Key_Period);
    QVERIFY(part(1)->hasFocus());
    QCOMPARE(part(1)->selectedText(), QString("20"));
    QCOMPARE(m_pEdit->text(), QString("10.20.30.40"));
    focusPart(3, 2);
    QTest::keyClick(part(3), Qt::Key_Period); // last part: stays
    QVERIFY(part(3)->hasFocus());

    focusPart(2, 2);
    QTest::keyClicks(part(2), "\b\b\b");
    QVERIFY(part(1)->hasFocus());
    QCOMPARE(part(1)->selectedText(), QString("20"));
    QTest::keyClick(part(1), Qt::Key_Backspace);
    QCOMPARE(m_pEdit->text(), QString("10...40"));
}

void TestIpAddrEdit::arrowsCrossPartEdgesButNotTheEnds()
{
    m_pEdit->setText("10.20.30.40");
    focusPart(1, 0);
    QTest::keyClick(part(1), Qt::Key_Left);
    QVERIFY(part(0)->hasFocus());
    QCOMPARE(part(0)->cursorPosition(), 2);
    QTest::keyClick(part(0), Qt::Key_Right);
    QVERIFY(part(1)->hasFocus());
    QCOMPARE(part(1)->cursorPosition(), 0);
    focusPart(0, 0);
    QTest::keyClick(part(0), Qt::Key_Left);
    QVERIFY(part(0)->hasFocus());
    focusPart(3, 2);
    QTest::keyClick(part(3), Qt::Key_Right);
    QVERIFY(part(3)->hasFocus());
}

QTEST_MAIN(TestIpAddrEdit)
#include "tst_ipaddredit.moc"
