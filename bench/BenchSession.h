#pragma once
// One live session with the real pieces, as the program runs them: the
// recorder simulator in its own process, libNetSDK and libH264Play bound by
// ordinal, a silent login through the login dialog and the main window
// playing the display into its video frame.
//
// Threads: everything here runs on the GUI thread. The play library calls
// the frame handler on the GUI thread right after it painted a frame, so
// the handler may read the painted pixels (framePixel) at that moment.

#include "LinkShape.h"
#include "sdk/h264play/H264PlayObserver.h"

#include <QColor>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>

class LinkEmulator;
class SimProcess;
class CTelvane;
class CVideoFrame;

class BenchSession : public QObject
{
public:
    struct Options
    {
        QSize resolution{1920, 1080};
        int fps = 25;
        QSize frame{1280, 720}; // the video frame's size in the window
        QStringList simOptions;
        // The client reaches the simulator through this emulated path.
        bool throughLink = false;
        LinkShape link;
        // The simulator traces what its display takes and makes (pictureTrace()).
        bool tracePictures = false;
    };
    using FrameHandler = std::function<void(const TvPlayFrameTimes &)>;

    explicit BenchSession(const Options &options);
    ~BenchSession() override;

    // Binds the SDKs (once per process), starts the simulator, logs in,
    // starts the stream and waits until frames are painted.
    bool open(QString &error);
    // Stops the stream, logs out and stops the simulator and the link; the
    // simulator's log stays readable until the session is destroyed.
    void close();
    QString simLog() const;
    QString pictureTrace() const;
    const LinkEmulator *link() const { return m_link.get(); }
    CTelvane &window() { return *m_window; }
    CVideoFrame *video() const { return m_video; }
    const Options &options() const { return m_options; }
    qint64 simPid() const;
    quint16 simPort() const; // the recorder's, never the link's
    QString tempPath(const QString &name) const { return m_temp.filePath(name); }

    void setFrameHandler(FrameHandler handler) { m_handler = std::move(handler); }
    bool playStats(TvPlayStats &out) const;
    // When the library's surface last began to paint (steady clock ns).
    std::int64_t paintStartNs() const { return m_paintStartNs; }
    // Mean colour of the painted square of 2r+1 pixels around a point of
    // the video frame, read from the window's backing store.
    QColor framePatch(QPoint at, int r) const;
    // A copy of a rectangle of the painted video frame (RGB32).
    QImage framePixels(const QRect &rect) const;

    // Runs the event loop (never a sleep: queued repaints must run).
    static void wait(int ms);
    static bool waitFor(const std::function<bool()> &done, int timeoutMs);
    static std::int64_t nowNs();
    // Binds both SDKs from the application directory, once per process.
    static bool bindOnce(QString &error);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void onFrame(void *user, const TvPlayFrameTimes *times);
    // Logs in through the port, hands the session to the window and plays.
    bool play(quint16 port, QString &error);
    // Sizes the shown window around the options' frame.
    bool fitFrame(QString &error);

    Options m_options;
    QTemporaryDir m_temp;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<LinkEmulator> m_link;
    std::unique_ptr<CTelvane> m_window;
    CVideoFrame *m_video = nullptr;
    FrameHandler m_handler;
    std::int64_t m_framesSeen = 0;
    std::int64_t m_paintStartNs = 0;
};
