#pragma once
// Splits an H.264 Annex B byte stream into access units, decodes them with
// libavcodec and hands each picture to its conversion stage, which converts
// it to the size the surface has now on a thread of its own.
//
// Runs on the decoder thread only, except the counters, which any thread
// may read. No frame threading (it would hold one frame per thread); slice
// threading and low-delay output, so a picture comes out of decode() as
// soon as the access unit that holds it is complete.

#include "ConversionStage.h"
#include "SequenceGate.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVCodecParserContext;
struct AVFrame;
struct AVPacket;
class FrameSlot;

class H264Decoder
{
public:
    explicit H264Decoder(FrameSlot &slot);
    ~H264Decoder();
    H264Decoder(const H264Decoder &) = delete;
    H264Decoder &operator=(const H264Decoder &) = delete;

    bool open();
    // inputNs: when the newest of these bytes entered the library.
    void feed(const std::uint8_t *data, std::size_t length, std::int64_t inputNs);
    // Data was lost: forget the partial access unit and the reference
    // pictures, keep the parameter sets.
    void restart();

    // Converts the picture still waiting and stops the conversion thread.
    void finish() { m_stage.finish(); }

    std::int64_t framesDecoded() const { return m_framesDecoded; }
    std::int64_t unitsDropped() const { return m_unitsDropped; }
    std::int64_t overlongBytes() const { return m_overlongBytes; }
    std::int64_t framesConverted() const { return m_stage.framesConverted(); }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    bool openCodec();
    // A new sequence gets a fresh decoder once the old one has given up the
    // pictures it still holds: libavcodec only ever deepens its reorder
    // buffer, so one that junk or an earlier encoder setup made deep would
    // hold back every later live picture, and the last few for good. Only a
    // change of size, format or depth counts, and only as often as
    // SequenceGate allows: reopening costs the decoder and its threads, and
    // a stream that switches between parameter sets would pay that on every
    // access unit.
    void startSequence(std::int64_t inputNs);
    // Forgets the partial access unit, as when it grew beyond any picture.
    void resetParser();
    void decode(const std::uint8_t *data, int size, std::int64_t inputNs);
    void receive(std::int64_t inputNs);

    AVCodecContext *m_codec = nullptr;
    AVCodecParserContext *m_parser = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    std::vector<std::uint8_t> m_input; // padded copy the parser may overread
    SequenceGate m_sequence;
    ConversionStage m_stage;
    std::atomic<std::int64_t> m_framesDecoded{0};
    std::atomic<std::int64_t> m_unitsDropped{0};
    std::atomic<std::int64_t> m_overlongBytes{0};
    std::size_t m_unitBytes = 0; // taken by the parser since its last unit
    std::atomic<int> m_width{0}, m_height{0};
};
