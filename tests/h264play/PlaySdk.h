#pragma once
// The play library under test, loaded from the application directory the
// way the client loads it, with its ordinals and extra entry points.

#include "H264PlayObserver.h"
#include "SdkDefs.h"
#include "SdkLibrary.h"

#include <QByteArray>
#include <QString>

class QRandomGenerator;
class QWidget;

class PlaySdk
{
public:
    bool load(QString &error);

    tvsdk::FnPlayOpenStream open = nullptr;
    tvsdk::FnPlayPlay play = nullptr;
    tvsdk::FnPlayInputData input = nullptr;
    tvsdk::FnPlayStop stop = nullptr;
    tvsdk::FnPlayCloseStream close = nullptr;
    tvsdk::FnPlayFreePort release = nullptr;
    TvPlaySetObserverFn setObserver = nullptr;
    TvPlayGetStatsFn getStats = nullptr;
    TvPlaySetPausedFn setPaused = nullptr;

    // Opens port 0 with the client's arguments and plays into `frame`.
    bool start(QWidget *frame);
    void finish();
    TvPlayStats stats() const;
    // Feeds bytes in blocks of random sizes, many of them tiny.
    void feedRandomly(const QByteArray &bytes, QRandomGenerator &rng);
    void feed(const QByteArray &bytes);

private:
    SdkLibrary m_library;
};
