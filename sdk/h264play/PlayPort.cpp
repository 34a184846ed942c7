#include "PlayPort.h"

#include "H264Decoder.h"
#include "SteadyClock.h"
#include "StreamBuffer.h"
#include "SurfaceLink.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

#include <algorithm>

namespace {
constexpr int kMinBufferSize = 64 * 1024;
constexpr int kMaxBufferSize = 64 * 1024 * 1024;
constexpr int kDefaultBufferSize = 2048000;
constexpr std::size_t kChunkBytes = 64 * 1024;

bool onGuiThread()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}
} // namespace

PlayPort::PlayPort() = default;

PlayPort::~PlayPort()
{
    release();
}

int PlayPort::open(int bufferSize)
{
    std::lock_guard<std::mutex> control(m_control);
    if (m_state != State::Free)
        return 0;
    if (bufferSize <= 0)
        bufferSize = kDefaultBufferSize;
    bufferSize = std::clamp(bufferSize, kMinBufferSize, kMaxBufferSize);
    auto decoder = std::make_unique<H264Decoder>(m_slot);
    if (!decoder->open())
        return 0;
    m_slot.clear();
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_buffer = std::make_unique<StreamBuffer>(std::size_t(bufferSize));
    m_decoder = std::move(decoder);
    m_bytesDecoded = 0;
    m_thread = std::thread(&PlayPort::run, this);
    m_state = State::Open;
    return 1;
}

void PlayPort::run()
{
    StreamBuffer::Chunk chunk;
    while (m_buffer->take(chunk, kChunkBytes)) {
        if (chunk.discontinuity)
            m_decoder->restart();
        m_decoder->feed(chunk.bytes.data(), chunk.bytes.size(), chunk.inputNs);
        m_bytesDecoded += std::int64_t(chunk.bytes.size());
    }
    // Joining this thread must leave nothing of the port running.
    m_decoder->finish();
}

int PlayPort::play(void *window)
{
    std::lock_guard<std::mutex> control(m_control);
    if (m_state != State::Open)
        return 0;
    if (!onGuiThread()) {
        qWarning("H264Play: play must be called on the GUI thread");
        return 0;
    }
    QWidget *frame = QWidget::find(WId(reinterpret_cast<quintptr>(window)));
    if (!frame) {
        qWarning("H264Play: no widget has the window handle given to play");
        return 0;
    }
    dropLink();
    m_link = new SurfaceLink(frame, &m_slot);
    m_slot.setLink(m_link);
    m_link->requestUpdate();
    return 1;
}

int PlayPort::input(const unsigned char *data, int length)
{
    if (!data || length <= 0)
        return 0;
    const std::int64_t now = steadyNowNs();
    std::lock_guard<std::mutex> lock(m_stateMutex);
    if (m_state != State::Open)
        return 0;
    m_buffer->write(data, std::size_t(length), now);
    return 1;
}

int PlayPort::stop()
{
    std::lock_guard<std::mutex> control(m_control);
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (m_state != State::Open)
            return 0;
        m_state = State::Stopped;
        m_buffer->close();
    }
    m_thread.join();
    dropLink();
    return 1;
}

void PlayPort::dropLink()
{
    m_slot.setLink(nullptr);
    if (!m_link)
        return;
    if (onGuiThread())
        delete m_link;
    else
        m_link->deleteLater();
    m_link = nullptr;
}

int PlayPort::close()
{
    stop();
    std::lock_guard<std::mutex> control(m_control);
    std::lock_guard<std::mutex> lock(m_stateMutex);
    if (m_state != State::Stopped)
        return 0;
    m_buffer.reset();
    m_decoder.reset();
    m_slot.clear();
    m_state = State::Free;
    return 1;
}

int PlayPort::release()
{
    close();
    m_slot.setObserver(nullptr, nullptr);
    return 1;
}

int PlayPort::setObserver(TvPlayFrameObserver observer, void *user)
{
    m_slot.setObserver(observer, user);
    return 1;
}

int PlayPort::stats(TvPlayStats &out)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    if (m_state == State::Free)
        return 0;
    // Read before the frame counters: the pictures of every byte it counts
    // are then counted too.
    out.bytesDecoded = m_bytesDecoded;
    const StreamBuffer::Counters c = m_buffer->counters();
    out.bufferCapacity = c.capacity;
    out.bufferedBytes = c.buffered;
    out.droppedBytes = c.dropped;
    out.dropEpisodes = c.episodes;
    out.framesDecoded = m_decoder->framesDecoded();
    out.unitsDropped = m_decoder->unitsDropped();
    out.overlongBytes = m_decoder->overlongBytes();
    out.framesConverted = m_decoder->framesConverted();
    out.framesPainted = m_slot.framesPainted();
    out.width = m_decoder->width();
    out.height = m_decoder->height();
    return 1;
}

int PlayPort::setPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    if (m_state == State::Free)
        return 0;
    m_buffer->setPaused(paused);
    return 1;
}
