// The built SDK libraries against the ordinal table: each resolves exactly
// the ordinals the table gives it and exports none of its functions by
// name, so what the program binds, what the libraries offer and what the
// Windows module-definition files (made from the same table) say agree.
#include "SdkDefs.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QRegularExpression>
#include <QTest>

namespace {

struct TableLibrary
{
    QString shortName; // net
    QString fileName;  // NetSDK
    QList<int> ordinals;
    QStringList symbols; // the C names of the entry points
};

QList<TableLibrary> readTable()
{
    QList<TableLibrary> libraries;
    QFile file(QStringLiteral(TV_SDK_ORDINAL_TABLE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return libraries;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const QStringList f = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (line.startsWith('#') || f.size() < 3)
            continue;
        if (f.at(0) == "library") {
            libraries.append({f.at(1), f.at(2), {}, {}});
        } else if (!libraries.isEmpty() && f.at(0) == libraries.last().shortName) {
            const QString role = f.at(2);
            libraries.last().ordinals.append(f.at(1).toInt());
            libraries.last().symbols.append("tv_" + f.at(0) + "_" + role.left(1).toLower() +
                                            role.mid(1));
        }
    }
    return libraries;
}

} // namespace

class TestSdkExports : public QObject
{
    Q_OBJECT
private slots:
    void exportsWhatTheTableSays_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QList<int>>("ordinals");
        QTest::addColumn<QStringList>("symbols");
        const QList<TableLibrary> table = readTable();
        QCOMPARE(table.size(), 2);
        for (const TableLibrary &l : table)
            QTest::newRow(qPrintable(l.fileName)) << l.fileName << l.ordinals << l.symbols;
    }

    void exportsWhatTheTableSays()
    {
        QFETCH(QString, fileName);
        QFETCH(QList<int>, ordinals);
        QFETCH(QStringList, symbols);
        QLibrary lib(qEnvironmentVariable("TV_APP_DIR") + "/lib" + fileName);
        QVERIFY2(lib.load(), qPrintable(lib.errorString()));
        auto resolve =
            reinterpret_cast<tvsdk::OrdinalResolver>(lib.resolve(tvsdk::kOrdinalResolverSymbol));
        QVERIFY(resolve);

        // Every number an import by ordinal can carry, and the two just
        // outside.
        QList<int> resolved;
        for (int n = -1; n <= 0x10000; ++n) {
            if (resolve(n))
                resolved.append(n);
        }
        std::sort(ordinals.begin(), ordinals.end());
        QCOMPARE(resolved, ordinals);
        for (const QString &symbol : symbols)
            QVERIFY2(!lib.resolve(qPrintable(symbol)), qPrintable(symbol + " is exported by name"));
    }
};

QTEST_GUILESS_MAIN(TestSdkExports)
#include "tst_sdkexports.moc"
