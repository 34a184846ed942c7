#include "StdinControl.h"

#include "SimLog.h"
#include "SimOptions.h"

#include <QSocketNotifier>

#include <unistd.h>

StdinControl::StdinControl(QObject *parent)
    : QObject(parent), m_notifier(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readLines(); });
}

void StdinControl::readLines()
{
    char chunk[1024];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        return;
    }
    m_pending.append(chunk, int(n));
    if (m_pending.size() > 64 * 1024)
        m_pending.clear();
    int nl;
    while ((nl = m_pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_pending.left(nl)).trimmed();
        m_pending.remove(0, nl + 1);
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
#else
        const QStringList words = line.split(' ', QString::SkipEmptyParts);
#endif
        int w = 0, h = 0;
        if (words.size() == 2 && words[0] == "resolution" && SimOptions::parseSize(words[1], w, h))
            emit resolutionRequested(w, h);
        else if (!line.isEmpty())
            SimLog::error("control: unknown command \"" + line + "\"");
    }
}
