#include "KeyframeScanner.h"

namespace {
constexpr int kNalIdr = 5;
constexpr int kNalSei = 6;
constexpr int kNalSps = 7;
constexpr std::uint8_t kSeiRecoveryPoint = 6;
} // namespace

void KeyframeScanner::reset()
{
    m_state = State::Bytes;
    m_zeros = 0;
}

bool KeyframeScanner::scan(const std::uint8_t *data, std::size_t length, Hit &hit)
{
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t b = data[i];
        if (m_state == State::Header) {
            m_state = State::Bytes;
            const int type = b & 0x1f;
            if (type == kNalIdr || type == kNalSps) {
                hit.prefix[4] = b;
                hit.prefixLength = 5;
                hit.resumeAt = i + 1;
                reset();
                return true;
            }
            if (type == kNalSei) {
                m_seiHeader = b;
                m_state = State::SeiPayload;
                continue;
            }
        } else if (m_state == State::SeiPayload) {
            m_state = State::Bytes;
            if (b == kSeiRecoveryPoint) {
                hit.prefix[4] = m_seiHeader;
                hit.prefix[5] = b;
                hit.prefixLength = 6;
                hit.resumeAt = i + 1;
                reset();
                return true;
            }
        }
        if (b == 0) {
            ++m_zeros;
        } else {
            if (b == 1 && m_zeros >= 2)
                m_state = State::Header;
            m_zeros = 0;
        }
    }
    return false;
}
