#include "CommandLog.h"

#include "SimLog.h"

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
    if (m_file.size() > 0 && m_file.size() + text.size() > m_maxBytes && !rotate())
        return;
    m_file.write(text);
    m_file.flush();
}

// A file that cannot be renamed or reopened is not written to again: texts
// are lost rather than the disk filled.
bool CommandLog::rotate()
{
    const QString path = m_file.fileName();
    const QString older = path + ".1";
    m_file.close();
    QFile::remove(older);
    const bool ok =
        QFile::rename(path, older) && m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    if (!ok)
        SimLog::error("command log: cannot start a fresh file; later texts are lost");
    if (!ok)
        m_file.close();
    return ok;
}
