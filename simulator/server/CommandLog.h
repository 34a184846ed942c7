#pragma once
// Appends received remote-control texts to a file exactly as received,
// flushed after each, so that a test can compare them byte for byte.

#include <QFile>
#include <QString>

class CommandLog
{
public:
    bool open(const QString &path, QString &error);
    void append(const QByteArray &text);

private:
    QFile m_file;
};
