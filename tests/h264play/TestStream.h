#pragma once
// H.264 streams made at test time by the ffmpeg command-line tool, and the
// pictures libavcodec decodes from them, as the expected result.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

class QTemporaryDir;

class TestStream
{
public:
    // `source` is a lavfi source such as "testsrc2=size=1920x1080:rate=25";
    // `x264` extra x264 parameters. Returns an empty array on failure.
    static QByteArray encode(const QString &source, int frames, int bFrames,
                             const QString &x264 = QString(), int gop = 250);
    // Decodes like a live decoder without an end of stream: the frames that
    // come out of the whole stream followed by an access unit delimiter.
    static QVector<QImage> reference(const QByteArray &stream);
    // Start offsets of the access unit delimiters in a stream.
    static QVector<int> delimiters(const QByteArray &stream);
    static QByteArray delimiter();
    // Damaged input makes libavcodec complain at length; the tests expect it.
    static void quietDecoderLog();

    // Mean absolute difference per channel between a picture drawn at some
    // size and the expected one stretched to that size.
    static double difference(const QImage &drawn, const QImage &expected);
};
