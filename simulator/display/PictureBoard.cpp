#include "PictureBoard.h"

void PictureBoard::setWake(std::function<void()> wake)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake = std::move(wake);
}

void PictureBoard::publish(std::vector<uint8_t> bytes, bool keyFrame)
{
    auto picture = std::make_shared<EncodedPicture>();
    picture->bytes = std::move(bytes);
    picture->keyFrame = keyFrame;
    std::lock_guard<std::mutex> lock(m_mutex);
    picture->number = ++m_published;
    m_kept.push_back(std::move(picture));
    if (m_kept.size() > kKept)
        m_kept.pop_front();
    if (m_wake)
        m_wake();
}

bool PictureBoard::take(uint64_t &cursor, std::vector<SharedPicture> &out) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_kept.empty() || cursor >= m_published)
        return true;
    const uint64_t first = m_kept.front()->number;
    const bool lost = cursor + 1 < first;
    const std::size_t from = lost ? 0 : std::size_t(cursor + 1 - first);
    out.insert(out.end(), m_kept.begin() + std::ptrdiff_t(from), m_kept.end());
    cursor = m_published;
    return !lost;
}

void PictureBoard::release(uint64_t upTo)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    while (!m_kept.empty() && m_kept.front()->number <= upTo)
        m_kept.pop_front();
}

uint64_t PictureBoard::latest() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_published;
}
