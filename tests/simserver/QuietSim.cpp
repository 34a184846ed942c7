#include "QuietSim.h"

#include <QFile>

bool QuietSim::start(const QStringList &arguments)
{
    m_path = m_dir.filePath(QString("sim%1.log").arg(++m_starts));
    process.setLogFile(m_path);
    return process.start(arguments);
}

QByteArray QuietSim::log() const
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
