#include "CommandLog.h"

bool CommandLog::open(const QString &path, QString &error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = m_file.errorString();
        return false;
    }
    return true;
}

void CommandLog::append(const QByteArray &text)
{
    if (!m_file.isOpen())
        return;
    m_file.write(text);
    m_file.flush();
}
