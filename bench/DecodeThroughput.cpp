#include "DecodeThroughput.h"

#include "BenchSession.h"
#include "PlayExtras.h"
#include "Samples.h"
#include "SdkApi.h"
#include "SdkDefs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {
constexpr int kFps = 25;
constexpr int kRounds = 3;

bool makeFile(const QString &path, int seconds, QString &error)
{
    if (QFileInfo(path).size() > 0)
        return true;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            QString("testsrc2=size=1920x1080:rate=%1").arg(kFps), "-t",
                            QString::number(seconds), "-c:v", "libx264", "-preset", "veryfast",
                            "-pix_fmt", "yuv420p", "-f", "h264", path + ".part"});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
        error = "ffmpeg could not make the file: " + ffmpeg.readAllStandardError();
        return false;
    }
    return QFile::rename(path + ".part", path);
}

double ffmpegSeconds(const QString &path, QString &error)
{
    QProcess ffmpeg;
    QElapsedTimer clock;
    clock.start();
    // The scaler libH264Play uses (PictureConverter): bilinear, straight to
    // BGRA. The tool's own default would be bicubic, which costs more.
    ffmpeg.start("ffmpeg",
                 {"-hide_banner", "-loglevel", "error", "-i", path, "-vf",
                  "scale=1280:720:flags=bilinear", "-pix_fmt", "bgra", "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
        error = "ffmpeg failed: " + ffmpeg.readAllStandardError();
        return 0;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

// Feeds the file from a thread of its own, as the device SDK's data thread
// would, never more than the stream buffer can hold.
double oursSeconds(const QByteArray &bytes, int frames, TvPlayStats &stats)
{
    QWidget frame;
    frame.resize(1280, 720);
    frame.show();
    unsigned char header[tvsdk::kPlayHeaderLength] = {0};
    sdkApi().playOpenStream(0, header, tvsdk::kPlayHeaderLength, tvsdk::kPlayStreamBufferSize);
    sdkApi().playPlay(0, reinterpret_cast<void *>(frame.winId()));
    BenchSession::wait(200); // the surface takes the frame's size
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> fed{false};
    std::thread feeder([&] {
        const int chunk = 65536;
        for (int at = 0; at < bytes.size();) {
            TvPlayStats s{};
            PlayExtras::instance().stats(0, s);
            if (s.bufferedBytes + chunk > s.bufferCapacity / 2) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
            const int n = qMin(chunk, bytes.size() - at);
            sdkApi().playInputData(
                0, reinterpret_cast<unsigned char *>(const_cast<char *>(bytes.data() + at)), n);
            at += n;
        }
        fed.store(true);
    });
    // The stream's last pictures complete only when the decoder knows it
    // ended, so the run ends once everything is fed and the count has
    // stood still for a second; the time is that of the last new frame.
    int64_t lastCount = 0;
    qint64 lastChangeNs = 0;
    QElapsedTimer still;
    still.start();
    BenchSession::waitFor(
        [&] {
            PlayExtras::instance().stats(0, stats);
            if (stats.framesConverted != lastCount) {
                lastCount = stats.framesConverted;
                lastChangeNs = clock.nsecsElapsed();
                still.restart();
            }
            return stats.framesConverted >= frames || (fed.load() && still.elapsed() > 1000);
        },
        600000);
    const double seconds = double(lastChangeNs ? lastChangeNs : clock.nsecsElapsed()) / 1e9;
    feeder.join();
    PlayExtras::instance().stats(0, stats);
    sdkApi().playStop(0);
    sdkApi().playCloseStream(0);
    sdkApi().playFreePort(0);
    return seconds;
}
} // namespace

bool DecodeThroughput::run(int seconds, const QString &cacheDir, Json::Value &out, QString &error)
{
    if (!BenchSession::bindOnce(error))
        return false;
    const QString path = QString("%1/peer-1920x1080-%2s.h264").arg(cacheDir).arg(seconds);
    if (!makeFile(path, seconds, error))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + path;
        return false;
    }
    const QByteArray bytes = file.readAll();
    const int frames = seconds * kFps;
    // The two take turns, three times each: other work on the shared cores
    // moves single runs by a fifth either way.
    Samples ours, theirs;
    TvPlayStats stats{};
    for (int round = 0; round < kRounds; ++round) {
        const double taken = oursSeconds(bytes, frames, stats);
        // Only a picture both decoded and converted counts, as with ffmpeg.
        ours.add(double(stats.framesConverted) / taken);
        const double ffmpeg = ffmpegSeconds(path, error);
        if (ffmpeg <= 0)
            return false;
        theirs.add(frames / ffmpeg);
    }
    out["file"] = QFileInfo(path).fileName().toStdString();
    out["file_mb"] = double(bytes.size()) / (1024.0 * 1024.0);
    out["frames"] = frames;
    out["rounds"] = kRounds;
    out["ours_frames_decoded"] = Json::Int64(stats.framesDecoded);
    out["ours_frames_converted"] = Json::Int64(stats.framesConverted);
    out["ours_input_bytes_dropped"] = Json::Int64(stats.droppedBytes);
    out["ours_fps"] = ours.median();
    out["ffmpeg_fps"] = theirs.median();
    out["ours_fps_min"] = ours.percentile(0);
    out["ours_fps_max"] = ours.max();
    out["ffmpeg_fps_min"] = theirs.percentile(0);
    out["ffmpeg_fps_max"] = theirs.max();
    out["ratio_ours_over_ffmpeg"] = ours.median() / theirs.median();
    return stats.framesConverted > 0;
}
