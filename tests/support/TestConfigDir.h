#pragma once
// Gives one test its own Config.ini in a fresh temporary directory, so that
// no two tests ever read or write the same file.

#include <QString>
#include <QTemporaryDir>

class TestConfigDir
{
public:
    TestConfigDir();
    ~TestConfigDir();
    TestConfigDir(const TestConfigDir &) = delete;
    TestConfigDir &operator=(const TestConfigDir &) = delete;

    QString path() const;
    QString filePath() const;
    // Writes raw text into Config.ini, for tests of what the reader makes of it.
    void writeRaw(const QByteArray &contents) const;

private:
    QTemporaryDir m_dir;
};
