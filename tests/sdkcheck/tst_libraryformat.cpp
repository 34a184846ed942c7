// The SDK check's reading of a library's word size from its first bytes,
// including headers cut short or pointing outside what was read.
#include "LibraryFormat.h"

#include <QTest>

Q_DECLARE_METATYPE(LibraryFormat::Kind)

namespace {
// A DOS stub whose PE header starts at `offset`, with the machine `machine`;
// as much of the header as fits in `size` bytes is written.
QByteArray pe(quint32 offset, quint16 machine, int size = 512)
{
    QByteArray bytes(size, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        bytes[0x3c + i] = char(offset >> (8 * i));
    const QByteArray header = QByteArray("PE\0\0", 4) + char(machine) + char(machine >> 8);
    for (int i = 0; i < header.size() && qint64(offset) + i < size; ++i)
        bytes[int(offset) + i] = header[i];
    return bytes;
}
} // namespace

class TestLibraryFormat : public QObject
{
    Q_OBJECT
private slots:
    void ofBytes_data();
    void ofBytes();
};

void TestLibraryFormat::ofBytes_data()
{
    using Kind = LibraryFormat::Kind;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("64-bit DLL") << pe(0x80, 0x8664) << Kind::Bits64;
    QTest::newRow("32-bit DLL") << pe(0x80, 0x14c) << Kind::Bits32;
    QTest::newRow("ARM DLL") << pe(0x80, 0xaa64) << Kind::OtherMachine;
    QTest::newRow("PE header past the end") << pe(0x7fffffff, 0x8664) << Kind::NotALibrary;
    QTest::newRow("machine field cut off") << pe(0x1fc, 0x8664, 0x201) << Kind::NotALibrary;
    QTest::newRow("no PE signature")
        << pe(0x80, 0x8664).replace(0x80, 2, "NE") << Kind::NotALibrary;
    QTest::newRow("MZ alone") << QByteArray("MZ") << Kind::NotALibrary;
    QTest::newRow("ELF 64") << QByteArray("\x7f"
                                          "ELF\x02",
                                          5)
                            << Kind::Bits64;
    QTest::newRow("ELF 32") << QByteArray("\x7f"
                                          "ELF\x01",
                                          5)
                            << Kind::Bits32;
    QTest::newRow("ELF, unknown class") << QByteArray("\x7f"
                                                      "ELF\x07",
                                                      5)
                                        << Kind::OtherMachine;
    QTest::newRow("text") << QByteArray("not a library") << Kind::NotALibrary;
    QTest::newRow("empty") << QByteArray() << Kind::NotALibrary;
}

void TestLibraryFormat::ofBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LibraryFormat::Kind, kind);
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    QCOMPARE(LibraryFormat::ofBytes(data, std::size_t(bytes.size())), kind);
}

QTEST_GUILESS_MAIN(TestLibraryFormat)
#include "tst_libraryformat.moc"
