// The windows as they ship: with the real style sheet loaded and in each of
// the three languages, the sizes the program gives its widgets survive the
// skin, no text is cut, and pop-ups show every item.
#include "CLoginDlg.h"
#include "CMessageBox.h"
#include "CMyIpAddrEdit.h"
#include "CTitleWidget.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

class TestSkin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void loginDialog_data();
    void loginDialog();
    void mainWindowBarAndNotice_data() { languages(); }
    void mainWindowBarAndNotice();

private:
    static void languages();
    void useLanguage(const QString &language);
    static void verifyNothingCut(QWidget *window);
    static bool textFits(QWidget *w, const QString &text);
    static void verifyPopupsWhole(QWidget *dialog);

    std::unique_ptr<QTranslator> m_translator;
};

void TestSkin::initTestCase()
{
    const QString sheet = StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath());
    QVERIFY2(sheet.contains("WhiteToolButton"), "the skin is not beside the test");
    qApp->setStyleSheet(sheet);
}

void TestSkin::cleanup()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
}

void TestSkin::languages()
{
    QTest::addColumn<QString>("language");
    for (const char *language : {"English", "Russian", "Portugues(Br)"})
        QTest::newRow(language) << language;
}

void TestSkin::useLanguage(const QString &language)
{
    const QString file =
        StartupFiles::translationFile(QCoreApplication::applicationDirPath(), language);
    if (file.isEmpty())
        return;
    m_translator = std::make_unique<QTranslator>();
    QVERIFY2(m_translator->load(file), qPrintable(file));
    QCoreApplication::installTranslator(m_translator.get());
}

// Every text a user reads fits the widget that shows it, and every widget
// lies inside its window.
void TestSkin::verifyNothingCut(QWidget *window)
{
    const QRect inside = window->rect();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        // The IPv4 editor places its dots by hand, a glyph in a 6 px slot.
        if (!w->isVisibleTo(window) || w->isWindow() ||
            qobject_cast<CMyIpAddrEdit *>(w->parentWidget()))
            continue;
        const auto *label = qobject_cast<QLabel *>(w);
        const auto *button = qobject_cast<QAbstractButton *>(w);
        const QString text = label ? label->text() : button ? button->text() : QString();
        if (text.isEmpty())
            continue;
        const QString what = w->objectName() + " \"" + text + "\"";
        QVERIFY2(textFits(w, text), qPrintable(what + " is cut"));
        QVERIFY2(inside.contains(QRect(w->mapTo(window, QPoint()), w->size())),
                 qPrintable(what + " sticks out of its window"));
    }
}

// A check box's size hint counts the skin's min-width on top of its text, so
// it is measured where the style draws the text.
bool TestSkin::textFits(QWidget *w, const QString &text)
{
    if (auto *check = qobject_cast<QCheckBox *>(w)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = text;
        const QRect room =
            check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
        return check->fontMetrics().boundingRect(text).width() <= room.width();
    }
    return w->sizeHint().width() <= w->width() && w->sizeHint().height() <= w->height();
}

void TestSkin::loginDialog_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("nLoginType");
    for (const char *language : {"English", "Russian", "Portugues(Br)"}) {
        QTest::addRow("%s IP", language) << language << 0;
        QTest::addRow("%s cloud", language) << language << 1;
    }
}

void TestSkin::loginDialog()
{
    QFETCH(QString, language);
    QFETCH(int, nLoginType);
    TestConfigDir config;
    useLanguage(language);
    CLoginDlg dialog;
    dialog.findChild<QComboBox *>("comboBoxLoginType")->setCurrentIndex(nLoginType);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const auto buttons = dialog.findChildren<QPushButton *>("WhiteToolButton");
    QCOMPARE(buttons.size(), 2); // Login and Cancel
    for (QPushButton *button : buttons)
        QCOMPARE(button->size(), QSize(120, 30));
    for (const char *name : {"comboBoxLoginType", "lineEditCloud", "lineEditIP", "lineEditPort",
                             "lineEditUserName", "lineEditPassword"}) {
        QWidget *input = dialog.findChild<QWidget *>(name);
        if (input->isVisible())
            QVERIFY2(input->height() == 35, name);
    }
    QCOMPARE(dialog.findChild<QComboBox *>("LanguageBox")->size(), QSize(100, 30));
    verifyNothingCut(&dialog);
    verifyPopupsWhole(&dialog);
    // The skin's window colour, not the platform's.
    QCOMPARE(dialog.grab().toImage().pixelColor(10, 120), QColor("#f3f5f9"));
}

void TestSkin::mainWindowBarAndNotice()
{
    QFETCH(QString, language);
    useLanguage(language);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    auto *bar = new CTitleWidget(&window, true);
    bar->setFixedHeight(45);
    (new QVBoxLayout(&window))->addWidget(bar);
    window.setGeometry(100, 80, 900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    verifyNothingCut(&window);

    const char *context = "CTitleWidget";
    CMessageBox box(QMessageBox::Question, QCoreApplication::translate(context, "Prompt"),
                    QCoreApplication::translate(context, "Do you want to logout?"),
                    QMessageBox::NoButton, &window);
    box.addButton(QCoreApplication::translate(context, "Yes"), QMessageBox::ActionRole);
    box.addButton(QCoreApplication::translate(context, "No"), QMessageBox::ActionRole);
    box.addButton(QCoreApplication::translate("CLoginDlg", "OK"), QMessageBox::ActionRole);
    box.show();
    QWidget *frame = box.findChild<QWidget *>("CMessageBox");
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    for (QWidget *button : frame->findChildren<QPushButton *>("WhiteToolButton"))
        QCOMPARE(button->size(), QSize(70, 25));
    verifyNothingCut(frame);
}

// Both pop-ups show all of their rows at once, without scrolling.
void TestSkin::verifyPopupsWhole(QWidget *dialog)
{
    for (QComboBox *box : dialog->findChildren<QComboBox *>()) {
        box->showPopup();
        QAbstractItemView *view = box->view();
        QTRY_VERIFY(view->isVisible());
        for (int i = 0; i < box->count(); ++i) {
            const QRect row = view->visualRect(view->model()->index(i, 0));
            QVERIFY2(view->viewport()->rect().contains(row), qPrintable(box->itemText(i)));
        }
        box->hidePopup();
    }
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
