#include "PlaySdk.h"

#include <QRandomGenerator>
#include <QWidget>

#include <dlfcn.h>
#include <string>

bool PlaySdk::load(QString &error)
{
    const std::string path =
        qEnvironmentVariable("TV_APP_DIR").toStdString() + "/" + SdkLibrary::fileName("H264Play");
    std::string why;
    if (!m_library.open(path, why)) {
        error = QString::fromStdString(why);
        return false;
    }
    open = reinterpret_cast<tvsdk::FnPlayOpenStream>(m_library.resolve(tvsdk::PlayOrdOpenStream));
    play = reinterpret_cast<tvsdk::FnPlayPlay>(m_library.resolve(tvsdk::PlayOrdPlay));
    input = reinterpret_cast<tvsdk::FnPlayInputData>(m_library.resolve(tvsdk::PlayOrdInputData));
    stop = reinterpret_cast<tvsdk::FnPlayStop>(m_library.resolve(tvsdk::PlayOrdStop));
    close =
        reinterpret_cast<tvsdk::FnPlayCloseStream>(m_library.resolve(tvsdk::PlayOrdCloseStream));
    release = reinterpret_cast<tvsdk::FnPlayFreePort>(m_library.resolve(tvsdk::PlayOrdFreePort));
    // The extra entry points sit beside the resolver in the same library.
    void *self = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (self) {
        setObserver =
            reinterpret_cast<TvPlaySetObserverFn>(dlsym(self, "tv_h264play_set_observer"));
        getStats = reinterpret_cast<TvPlayGetStatsFn>(dlsym(self, "tv_h264play_get_stats"));
        setPaused =
            reinterpret_cast<TvPlaySetPausedFn>(dlsym(self, "tv_h264play_set_decoding_paused"));
        dlclose(self);
    }
    if (!open || !play || !input || !stop || !close || !release || !setObserver || !getStats ||
        !setPaused) {
        error = "an entry point of the play library is missing";
        return false;
    }
    return true;
}

bool PlaySdk::start(QWidget *frame)
{
    unsigned char header = 0;
    if (!open(0, &header, tvsdk::kPlayHeaderLength, tvsdk::kPlayStreamBufferSize))
        return false;
    return play(0, reinterpret_cast<void *>(frame->winId())) != 0;
}

void PlaySdk::finish()
{
    stop(0);
    close(0);
    release(0);
}

TvPlayStats PlaySdk::stats() const
{
    TvPlayStats s{};
    getStats(0, &s);
    return s;
}

void PlaySdk::feed(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        input(0, reinterpret_cast<unsigned char *>(const_cast<char *>(bytes.data())), bytes.size());
}

void PlaySdk::feedRandomly(const QByteArray &bytes, QRandomGenerator &rng)
{
    int at = 0;
    while (at < bytes.size()) {
        const int limit = rng.bounded(3) == 0 ? 8 : 16384;
        const int n = qMin(bytes.size() - at, 1 + int(rng.bounded(limit)));
        feed(bytes.mid(at, n));
        at += n;
    }
}
