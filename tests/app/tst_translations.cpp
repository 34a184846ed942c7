// The compiled translations beside the executable translate the program's
// texts in each class's context, and leave the untranslated format strings
// alone.
#include "StartupFiles.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void translates_data();
    void translates();
};

void TestTranslations::translates_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    const QList<QStringList> rows{
        {"Russian", "CLoginDlg", "Login Fail", "Ошибка входа"},
        {"Russian", "CLoginDlg", "Save information", "Запомнить"},
        {"Russian", "CTitleWidget", "Do you want to logout?", "Выйти из системы?"},
        {"Russian", "CTelvane", "Device Disconnect", "Устройство отключено"},
        {"Portugues(Br)", "CLoginDlg", "Password Error", "Senha incorreta"},
        {"Portugues(Br)", "CTitleWidget", "Logout", "Encerrar sessão"},
        {"Portugues(Br)", "CTitleWidget", "Do you want to logout?", "Deseja encerrar a sessão?"},
        {"Russian", "CTitleWidget", "Refresh resolution", "Обновить разрешение"},
        {"Portugues(Br)", "CTitleWidget", "Refresh resolution", "Atualizar resolução"},
        {"Portugues(Br)", "CTelvane", "Start RealPlay Fail", "Falha ao iniciar a visualização"},
    };
    for (const QStringList &r : rows)
        QTest::newRow(qPrintable(r[0] + " " + r[2])) << r[0] << r[1] << r[2] << r[3];
}

void TestTranslations::translates()
{
    QFETCH(QString, language);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, expected);
    const QString file =
        StartupFiles::translationFile(QCoreApplication::applicationDirPath(), language);
    QTranslator translator;
    QVERIFY2(translator.load(file), qPrintable(file));
    QCOMPARE(translator.translate(qPrintable(context), qPrintable(source)), expected);
    QVERIFY(translator.translate(qPrintable(context), "%1 nRet = %2").isEmpty());
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
