#pragma once
// Appends received remote-control texts to a file exactly as received,
// flushed after each, so that a test can compare them byte for byte.
//
// A client decides how much it sends, so the file is kept under a size:
// once a text would take it past maxBytes, the file becomes FILE.1 (the
// one before is removed) and a fresh FILE begins. On disk there are at
// most two files of at most maxBytes each (a single text larger than that
// goes alone into its file).

#include <QFile>
#include <QString>

class CommandLog
{
public:
    static constexpr qint64 kDefaultMaxBytes = 16 * 1024 * 1024;

    explicit CommandLog(qint64 maxBytes = kDefaultMaxBytes) : m_maxBytes(maxBytes) {}
    bool open(const QString &path, QString &error);
    void append(const QByteArray &text);

private:
    bool rotate();

    const qint64 m_maxBytes;
    QFile m_file;
};
