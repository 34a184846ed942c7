// libH264Play's input call (ordinal 18) fed arbitrary bytes, then a valid
// stream. Whatever came before, the decoder must not crash, and once the
// valid stream's keyframes have arrived it must be decoding that stream
// again: a recorder that sends junk once must not leave the picture dead.
//
// The library is loaded the way the client loads it, from the application
// directory (the fuzz build's own, instrumented copy).
#include "FuzzApp.h"
#include "H264PlayObserver.h"
#include "SdkDefs.h"
#include "SdkLibrary.h"

#include <QCoreApplication>
#include <QFile>

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

struct Play
{
    SdkLibrary library;
    tvsdk::FnPlayOpenStream open = nullptr;
    tvsdk::FnPlayInputData input = nullptr;
    tvsdk::FnPlayStop stop = nullptr;
    tvsdk::FnPlayCloseStream close = nullptr;
    tvsdk::FnPlayFreePort free = nullptr;
    TvPlayGetStatsFn stats = nullptr;
    QByteArray valid;
};

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_h264play: %s\n", what);
    std::abort();
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
        if (!p->open || !p->input || !p->stop || !p->close || !p->free || !p->stats)
            fail("missing entry points");
        QFile file(QStringLiteral(TV_FUZZ_DATA_DIR "/valid64x48.h264"));
        if (!file.open(QIODevice::ReadOnly))
            fail("no valid stream");
        p->valid = file.readAll();
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

bool decodingValidStream(Play &p)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(10);
    TvPlayStats s{};
    while (steady_clock::now() < deadline) {
        if (p.stats(kPort, &s) && s.bufferedBytes == 0 && s.width == kWidth &&
            s.height == kHeight && s.framesDecoded > 0)
            return true;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Play &p = play();
    unsigned char header[tvsdk::kPlayHeaderLength] = {0};
    if (!p.open(kPort, header, tvsdk::kPlayHeaderLength, tvsdk::kPlayStreamBufferSize))
        fail("open failed");
    // The first byte picks the block size, so the fuzzer also explores how
    // the junk is cut.
    const std::size_t block = size ? 1 + data[0] * 16 : 1;
    feed(p, data, size, block);
    const auto *valid = reinterpret_cast<const std::uint8_t *>(p.valid.constData());
    feed(p, valid, std::size_t(p.valid.size()), 1400);
    if (!decodingValidStream(p))
        fail("the valid stream was not decoded after the junk");
    p.stop(kPort);
    p.close(kPort);
    p.free(kPort);
    return 0;
}
