#include "PictureTrace.h"

#include <chrono>

namespace {
long long nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

PictureTrace::PictureTrace(const std::string &path)
{
    if (!path.empty())
        m_file = std::fopen(path.c_str(), "a");
}

PictureTrace::~PictureTrace()
{
    if (m_file)
        std::fclose(m_file);
}

void PictureTrace::taken(std::size_t commands)
{
    if (!m_file)
        return;
    std::fprintf(m_file, "taken %lld %zu\n", nowUs(), commands);
    std::fflush(m_file);
}

void PictureTrace::picture(std::size_t bytes, bool keyFrame)
{
    if (!m_file)
        return;
    std::fprintf(m_file, "picture %lld %zu %d\n", nowUs(), bytes, keyFrame ? 1 : 0);
    std::fflush(m_file);
}
