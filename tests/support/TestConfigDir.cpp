#include "TestConfigDir.h"

#include "AppConfig.h"

#include <QFile>

TestConfigDir::TestConfigDir()
{
    AppConfig::setDirectoryOverride(m_dir.path());
}

TestConfigDir::~TestConfigDir()
{
    AppConfig::setDirectoryOverride(QString());
}

QString TestConfigDir::path() const
{
    return m_dir.path();
}

QString TestConfigDir::filePath() const
{
    return AppConfig::filePath();
}

void TestConfigDir::writeRaw(const QByteArray &contents) const
{
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}
