#include "TestStream.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

QByteArray TestStream::encode(const QString &source, int frames, int bFrames, const QString &x264,
                              int gop)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("stream.h264");
    QStringList args{"-hide_banner", "-loglevel",
                     "error",        "-y",
                     "-f",           "lavfi",
                     "-i",           source,
                     "-frames:v",    QString::number(frames),
                     "-c:v",         "libx264",
                     "-pix_fmt",     "yuv420p",
                     "-preset",      "veryfast",
                     "-bf",          QString::number(bFrames),
                     "-g",           QString::number(gop)};
    if (!x264.isEmpty())
        args << "-x264-params" << x264;
    args << "-f"
         << "h264" << out;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", args);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
        return QByteArray();
    }
    QFile file(out);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {
QImage toImage(const AVFrame *frame)
{
    QImage image(frame->width, frame->height, QImage::Format_RGB32);
    SwsContext *sws =
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                       frame->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    uint8_t *dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    int stride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
    sws_freeContext(sws);
    return image;
}
} // namespace

QVector<QImage> TestStream::reference(const QByteArray &stream)
{
    QVector<QImage> frames;
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    AVCodecContext *ctx = avcodec_alloc_context3(codec);
    ctx->flags |= AV_CODEC_FLAG_LOW_DELAY;
    avcodec_open2(ctx, codec, nullptr);
    AVCodecParserContext *parser = av_parser_init(AV_CODEC_ID_H264);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    QByteArray data = stream + delimiter();
    data.append(QByteArray(AV_INPUT_BUFFER_PADDING_SIZE, '\0'));
    const uint8_t *p = reinterpret_cast<const uint8_t *>(data.constData());
    int left = data.size() - AV_INPUT_BUFFER_PADDING_SIZE;
    while (left > 0) {
        const int used = av_parser_parse2(parser, ctx, &packet->data, &packet->size, p, left,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        p += used;
        left -= used;
        if (packet->size == 0 || avcodec_send_packet(ctx, packet) < 0)
            continue;
        while (avcodec_receive_frame(ctx, frame) == 0)
            frames.append(toImage(frame));
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    av_parser_close(parser);
    avcodec_free_context(&ctx);
    return frames;
}

QVector<int> TestStream::delimiters(const QByteArray &stream)
{
    QVector<int> at;
    const QByteArray code("\x00\x00\x00\x01\x09", 5);
    for (int i = stream.indexOf(code); i >= 0; i = stream.indexOf(code, i + 1))
        at.append(i);
    return at;
}

void TestStream::quietDecoderLog()
{
    av_log_set_level(AV_LOG_QUIET);
}

QByteArray TestStream::delimiter()
{
    return QByteArray("\x00\x00\x00\x01\x09\xf0", 6);
}

double TestStream::difference(const QImage &drawn, const QImage &expected)
{
    const QImage a = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.scaled(a.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
                   std::abs(qBlue(pa[x]) - qBlue(pb[x]));
    }
    return double(sum) / (3.0 * a.width() * a.height());
}
