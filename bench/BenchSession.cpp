#include "BenchSession.h"

#include "AppConfig.h"
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "CVideoFrame.h"
#include "LinkEmulator.h"
#include "PlayExtras.h"
#include "SdkApi.h"
#include "SdkBinding.h"
#include "SessionHandOff.h"
#include "SimProcess.h"

#include <QApplication>
#include <QBackingStore>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <chrono>

BenchSession::BenchSession(const Options &options) : m_options(options)
{
    // The login must not touch the build's own Config.ini.
    AppConfig::setDirectoryOverride(m_temp.path());
}

BenchSession::~BenchSession()
{
    close();
    AppConfig::setDirectoryOverride(QString());
}

void BenchSession::close()
{
    const bool played = m_window != nullptr;
    if (played)
        PlayExtras::instance().setObserver(0, nullptr, nullptr);
    m_window.reset(); // stops the stream and logs out while the simulator runs
    // Through a slow link the stop arrives later: the simulator counts what
    // it sent only when it sees it.
    if (played && m_sim)
        waitFor([this] { return simLog().contains("real play stopped"); }, 3000);
    m_sim.reset();
    m_link.reset();
}

QString BenchSession::simLog() const
{
    QFile file(m_temp.filePath("sim.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(16 << 20)) : QString();
}

QString BenchSession::pictureTrace() const
{
    QFile file(m_temp.filePath("pictures.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(64 << 20)) : QString();
}

bool BenchSession::bindOnce(QString &error)
{
    static bool bound = false;
    if (bound)
        return true;
    std::string why;
    const std::string dir = QCoreApplication::applicationDirPath().toStdString();
    if (!SdkBinding::bind(dir, sdkApi(), why) || !PlayExtras::instance().load(dir, why)) {
        error = QString::fromStdString(why);
        return false;
    }
    bound = true;
    return true;
}

bool BenchSession::open(QString &error)
{
    if (!bindOnce(error))
        return false;
    const QSize r = m_options.resolution;
    m_sim = std::make_unique<SimProcess>();
    // Its log goes straight to a file, so that logging costs the measured
    // client neither time nor memory; and it runs without a P2P service,
    // which no benchmark uses.
    m_sim->setLogFile(m_temp.filePath("sim.log"));
    m_sim->setP2PService(false);
    QStringList simOptions =
        QStringList{"--resolution", QString("%1x%2").arg(r.width()).arg(r.height()), "--fps",
                    QString::number(m_options.fps)} +
        m_options.simOptions;
    if (m_options.tracePictures)
        simOptions << "--picture-trace" << m_temp.filePath("pictures.txt");
    if (!m_sim->start(simOptions)) {
        error = "the simulator did not start";
        return false;
    }
    quint16 port = m_sim->port();
    if (m_options.throughLink) {
        m_link = std::make_unique<LinkEmulator>(m_options.link);
        std::string why;
        if (!m_link->start(port, why)) {
            error = "the link emulator did not start: " + QString::fromStdString(why);
            return false;
        }
        port = m_link->port();
    }
    if (!play(port, error))
        return false;
    if (QWidget *surface = m_video->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        surface->installEventFilter(this);
    PlayExtras::instance().setObserver(0, &BenchSession::onFrame, this);
    // The fade-in and the first key frame settle before anything is timed.
    if (!waitFor([this] { return m_framesSeen > 25; }, 15000)) {
        error = "no frames were painted";
        return false;
    }
    wait(1000);
    return true;
}

bool BenchSession::play(quint16 port, QString &error)
{
    // The window first: its constructor initialises the device SDK that the
    // login runs on.
    m_window = std::make_unique<CTelvane>();
    CLoginDlg dialog;
    dialog.setLoginInfo("0", "127.0.0.1", "", QString::number(port), "admin", "", "English");
    if (!dialog.onLoginDevice()) {
        error = "the login failed";
        return false;
    }
    bool fitted = false;
    const bool playing =
        SessionHandOff::play(*m_window, dialog.loginResult(), [this, &fitted, &error](CTelvane &) {
            fitted = fitFrame(error);
            return fitted;
        });
    if (!playing && fitted)
        error = "the real play did not start";
    return playing;
}

bool BenchSession::fitFrame(QString &error)
{
    m_video = m_window->findChild<CVideoFrame *>();
    // The window keeps its borders and title bar around the larger frame.
    const QSize chrome = m_window->size() - m_video->size();
    m_video->setFixedSize(m_options.frame);
    m_window->resize(m_options.frame + chrome);
    if (!m_window->rect().contains(
            QRect(m_video->mapTo(m_window.get(), QPoint()), m_options.frame))) {
        error = QString("the window (%1x%2) does not hold the video frame")
                    .arg(m_window->width())
                    .arg(m_window->height());
        return false;
    }
    waitFor(
        [this] {
            return m_window->isVisible() && m_window->windowHandle() &&
                   m_window->windowHandle()->isExposed();
        },
        5000);
    return true;
}

qint64 BenchSession::simPid() const
{
    return m_sim ? m_sim->pid() : 0;
}

quint16 BenchSession::simPort() const
{
    return m_sim ? m_sim->port() : 0;
}

bool BenchSession::playStats(TvPlayStats &out) const
{
    return PlayExtras::instance().stats(0, out);
}

void BenchSession::onFrame(void *user, const TvPlayFrameTimes *times)
{
    auto *self = static_cast<BenchSession *>(user);
    ++self->m_framesSeen;
    if (self->m_handler)
        self->m_handler(*times);
}

bool BenchSession::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        m_paintStartNs = nowNs();
    return QObject::eventFilter(watched, event);
}

QColor BenchSession::framePatch(QPoint at, int r) const
{
    // The backing store holds exactly what the surface painted last.
    auto *image = dynamic_cast<QImage *>(m_window->backingStore()->paintDevice());
    if (!image)
        return QColor();
    const QPoint origin = m_video->mapTo(m_window.get(), at);
    long red = 0, green = 0, blue = 0, n = 0;
    for (int y = origin.y() - r; y <= origin.y() + r; ++y)
        for (int x = origin.x() - r; x <= origin.x() + r; ++x) {
            if (!image->rect().contains(x, y))
                continue;
            const QRgb c = image->pixel(x, y);
            red += qRed(c);
            green += qGreen(c);
            blue += qBlue(c);
            ++n;
        }
    return n ? QColor(int(red / n), int(green / n), int(blue / n)) : QColor();
}

QImage BenchSession::framePixels(const QRect &rect) const
{
    auto *image = dynamic_cast<QImage *>(m_window->backingStore()->paintDevice());
    if (!image)
        return QImage();
    return image->copy(rect.translated(m_video->mapTo(m_window.get(), QPoint())))
        .convertToFormat(QImage::Format_RGB32);
}

void BenchSession::wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool BenchSession::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        wait(20);
    }
    return true;
}

std::int64_t BenchSession::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
