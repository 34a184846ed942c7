// The login form as it ships, with the real skin and in each language: its
// rows end on one right edge, and a disabled button looks disabled.
#include "CLoginDlg.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"

#include <QComboBox>
#include <QTranslator>
#include <QtTest>
#include <algorithm>

namespace {
QRect boxOf(const QWidget *widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint()), widget->size());
}

// How far the most saturated pixel of the picture is from grey, 0..255.
int mostColourful(const QImage &image)
{
    int nMost = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nMost = qMax(nMost, image.pixelColor(x, y).hsvSaturation());
    return nMost;
}
} // namespace

class TestLoginForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rowsEndOnTheFieldsEdge_data();
    void rowsEndOnTheFieldsEdge();
    void disabledButtonLooksDisabled();
};

void TestLoginForm::initTestCase()
{
    const QString sheet = StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath());
    QVERIFY2(sheet.contains("WhiteToolButton"), "the skin is not beside the test");
    qApp->setStyleSheet(sheet);
}

void TestLoginForm::rowsEndOnTheFieldsEdge_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("nLoginType");
    for (const char *language : {"English", "Russian", "Portugues(Br)"})
        for (int nType : {0, 1})
            QTest::addRow("%s, %s", language, nType ? "cloud" : "IP") << language << nType;
}

void TestLoginForm::rowsEndOnTheFieldsEdge()
{
    QFETCH(QString, language);
    QFETCH(int, nLoginType);
    TestConfigDir config;
    QTranslator translator;
    const QString file =
        StartupFiles::translationFile(QCoreApplication::applicationDirPath(), language);
    if (!file.isEmpty()) {
        QVERIFY2(translator.load(file), qPrintable(file));
        QCoreApplication::installTranslator(&translator);
    }
    CLoginDlg dialog;
    dialog.findChild<QComboBox *>("comboBoxLoginType")->setCurrentIndex(nLoginType);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QSize size = dialog.size();

    // Every visible field shares the user-name field's edges; the check
    // boxes and the buttons start on its left edge and end on its right one.
    const QRect field = boxOf(dialog.findChild<QWidget *>("lineEditUserName"));
    QVERIFY(dialog.rect().contains(field));
    for (const char *name :
         {"comboBoxLoginType", "lineEditCloud", "lineEditIP", "lineEditPort", "lineEditPassword"}) {
        const QWidget *input = dialog.findChild<QWidget *>(name);
        if (input->isVisible())
            QVERIFY2(boxOf(input).left() == field.left() && boxOf(input).right() == field.right(),
                     name);
    }
    const auto buttons = dialog.findChildren<QPushButton *>("WhiteToolButton");
    QCOMPARE(buttons.size(), 2);
    const auto byX = [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); };
    const auto [login, cancel] = std::minmax_element(buttons.begin(), buttons.end(), byX);
    QCOMPARE(boxOf(*login).left(), field.left());
    QCOMPARE(boxOf(*cancel).right() - field.right(), 0);
    QCOMPARE(boxOf(dialog.findChild<QWidget *>("checkBoxSaveInfo")).left(), field.left());
    QCOMPARE(boxOf(dialog.findChild<QWidget *>("checkBoxAutoLogin")).right() - field.right(), 0);
    for (const QPushButton *button : buttons)
        QCOMPARE(button->size(), QSize(120, 30));
    QCOMPARE(dialog.size(), size);
    QCoreApplication::removeTranslator(&translator);
}

// A busy dialog must not look ready: the skin's own rule for the dialog's
// buttons outranks the generic disabled one.
void TestLoginForm::disabledButtonLooksDisabled()
{
    TestConfigDir config;
    CLoginDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton *login = nullptr;
    for (QPushButton *button : dialog.findChildren<QPushButton *>("WhiteToolButton"))
        if (button->text() == "Login")
            login = button;
    QVERIFY(login);
    login->clearFocus();
    const QImage enabled = login->grab().toImage();
    login->setEnabled(false);
    const QImage disabled = login->grab().toImage();
    QVERIFY2(mostColourful(enabled) > 128, "the enabled button is coloured");
    QVERIFY2(mostColourful(disabled) < 64, "the disabled button is grey");
}

QTEST_MAIN(TestLoginForm)
#include "tst_loginform.moc"
