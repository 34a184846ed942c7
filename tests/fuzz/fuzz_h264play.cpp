// libH264Play's input call (ordinal 18) fed arbitrary bytes, then a valid
// stream, with the port playing into a surface as the client's does, so
// that pictures are converted and painted too. Whatever came before, the
// decoder must not crash, and the valid stream that follows must give every
// one of its own pictures, decoded at its size and converted for the
// surface: a recorder that sends junk once must not leave the picture dead
// or short of pictures.
//
// The library is loaded the way the client loads it, from the application
// directory (the fuzz build's own, instrumented copy).
#include "FuzzApp.h"
#include "H264PlayObserver.h"
#include "SdkDefs.h"
#include "SdkLibrary.h"
#include "SequenceGate.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

extern "C" {
#include <libavutil/log.h>
}

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <thread>

namespace {

constexpr int kPort = 0;
constexpr int kWidth = 64, kHeight = 48; // of data/valid64x48.h264
// The stream's last picture is complete only when something follows it.
const std::uint8_t kDelimiter[] = {0, 0, 0, 1, 0x09, 0x10};

struct Play
{
    SdkLibrary library;
    tvsdk::FnPlayOpenStream open = nullptr;
    tvsdk::FnPlayPlay play = nullptr;
    tvsdk::FnPlayInputData input = nullptr;
    tvsdk::FnPlayStop stop = nullptr;
    tvsdk::FnPlayCloseStream close = nullptr;
    tvsdk::FnPlayFreePort free = nullptr;
    TvPlayGetStatsFn stats = nullptr;
    TvPlayAdvanceClockFn advance = nullptr;
    QByteArray valid;
    int pictures = 0; // in the valid stream
    QWidget *frame = nullptr;
};

[[noreturn]] void fail(const char *what, long long have = -1, long long want = -1)
{
    std::fprintf(stderr, "fuzz_h264play: %s (%lld, expected %lld)\n", what, have, want);
    std::abort();
}

// Pictures in an Annex B stream: slices whose first macroblock is 0.
int countPictures(const QByteArray &s)
{
    int n = 0;
    for (int i = 0; i + 4 < s.size(); ++i) {
        if (s[i] != 0 || s[i + 1] != 0 || s[i + 2] != 1)
            continue;
        const int type = s[i + 3] & 0x1f;
        if ((type == 1 || type == 5) && (s[i + 4] & 0x80))
            ++n;
    }
    return n;
}

Play &play()
{
    static Play *p = [] {
        FuzzApp::ensure();
        av_log_set_level(AV_LOG_QUIET); // the junk makes the decoder complain at length
        auto *p = new Play;
        const std::string path = QCoreApplication::applicationDirPath().toStdString() + "/" +
                                 SdkLibrary::fileName("H264Play");
        std::string error;
        if (!p->library.open(path, error))
            fail(error.c_str());
        p->open =
            reinterpret_cast<tvsdk::FnPlayOpenStream>(p->library.resolve(tvsdk::PlayOrdOpenStream));
        p->play = reinterpret_cast<tvsdk::FnPlayPlay>(p->library.resolve(tvsdk::PlayOrdPlay));
        p->input =
            reinterpret_cast<tvsdk::FnPlayInputData>(p->library.resolve(tvsdk::PlayOrdInputData));
        p->stop = reinterpret_cast<tvsdk::FnPlayStop>(p->library.resolve(tvsdk::PlayOrdStop));
        p->close = reinterpret_cast<tvsdk::FnPlayCloseStream>(
            p->library.resolve(tvsdk::PlayOrdCloseStream));
        p->free =
            reinterpret_cast<tvsdk::FnPlayFreePort>(p->library.resolve(tvsdk::PlayOrdFreePort));
        void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        p->stats = handle
                       ? reinterpret_cast<TvPlayGetStatsFn>(dlsym(handle, "tv_h264play_get_stats"))
                       : nullptr;
        p->advance =
            handle
                ? reinterpret_cast<TvPlayAdvanceClockFn>(dlsym(handle, "tv_h264play_advance_clock"))
                : nullptr;
        if (!p->open || !p->play || !p->input || !p->stop || !p->close || !p->free || !p->stats ||
            !p->advance)
            fail("missing entry points");
        QFile file(QStringLiteral(TV_FUZZ_DATA_DIR "/valid64x48.h264"));
        if (!file.open(QIODevice::ReadOnly))
            fail("no valid stream");
        p->valid = file.readAll();
        p->pictures = countPictures(p->valid);
        // The client's video frame: a native widget the surface goes into,
        // twice the stream's size so that conversion scales.
        p->frame = new QWidget;
        p->frame->resize(2 * kWidth, 2 * kHeight);
        p->frame->winId();
        p->frame->show();
        QCoreApplication::processEvents();
        return p;
    }();
    return *p;
}

// Feeds bytes in blocks the size the network layer tends to deliver.
void feed(Play &p, const std::uint8_t *data, std::size_t size, std::size_t block)
{
    std::vector<unsigned char> copy(data, data + size); // input takes a non-const pointer
    for (std::size_t at = 0; at < size; at += block) {
        const std::size_t n = std::min(block, size - at);
        p.input(kPort, copy.data() + at, int(n));
    }
}

// Waits until the decoder has finished with all `given` bytes (or dropped
// them), painting meanwhile as the client's event loop would.
TvPlayStats settle(Play &p, std::int64_t given)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(10);
    TvPlayStats s{};
    while (steady_clock::now() < deadline) {
        if (!p.stats(kPort, &s))
            fail("port closed");
        if (s.bytesDecoded + s.droppedBytes >= given)
            return s;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(microseconds(200));
    }
    fail("the decoder did not finish its input within 10 s", s.bytesDecoded + s.droppedBytes,
         given);
}

// Feeds the valid stream and the delimiter that completes its last picture,
// and waits until the decoder has finished with them.
TvPlayStats feedValid(Play &p, std::int64_t &given)
{
    const auto *valid = reinterpret_cast<const std::uint8_t *>(p.valid.constData());
    feed(p, valid, std::size_t(p.valid.size()), 1400);
    feed(p, kDelimiter, sizeof kDelimiter, sizeof kDelimiter);
    given += p.valid.size() + std::int64_t(sizeof kDelimiter);
    return settle(p, given);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Play &p = play();
    unsigned char header[tvsdk::kPlayHeaderLength] = {0};
    if (!p.open(kPort, header, tvsdk::kPlayHeaderLength, tvsdk::kPlayStreamBufferSize))
        fail("open failed");
    if (!p.play(kPort, reinterpret_cast<void *>(p.frame->winId())))
        fail("play failed");
    // The first byte picks the block size, so the fuzzer also explores how
    // the junk is cut.
    const std::size_t block = size ? 1 + data[0] * 16 : 1;
    feed(p, data, size, block);
    const TvPlayStats afterJunk = settle(p, std::int64_t(size));
    std::int64_t given = std::int64_t(size);
    TvPlayStats before = afterJunk;
    TvPlayStats s = feedValid(p, given);
    // Junk that switched sequences faster than fresh decoders are allowed
    // leaves the valid stream dropped until the next one is due; by then
    // the stream must play in full. The library's clock is moved there
    // rather than waited for.
    if (s.unitsDropped > afterJunk.unitsDropped) {
        p.advance(SequenceGate::kRefillNs);
        before = s;
        s = feedValid(p, given);
    }
    if (s.droppedBytes != 0)
        fail("input dropped", s.droppedBytes, 0);
    // Pictures the junk left incomplete or held back may come out here too,
    // so the valid stream's count is a floor.
    if (s.framesDecoded - before.framesDecoded < p.pictures)
        fail("pictures of the valid stream missing", s.framesDecoded - before.framesDecoded,
             p.pictures);
    if (s.width != kWidth || s.height != kHeight)
        fail("the last picture is not the valid stream's", s.width * 100000LL + s.height,
             kWidth * 100000LL + kHeight);
    p.stop(kPort);
    TvPlayStats stopped{};
    p.stats(kPort, &stopped);
    // The conversion stage drops no picture; its last ones finish at stop.
    if (stopped.framesConverted - afterJunk.framesConverted < p.pictures)
        fail("pictures of the valid stream not converted",
             stopped.framesConverted - afterJunk.framesConverted, p.pictures);
    p.close(kPort);
    p.free(kPort);
    QCoreApplication::processEvents(); // the surface's deferred deletion
    return 0;
}
