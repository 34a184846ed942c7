#pragma once
// A recording test double of both SDKs. install() points the process-wide
// SdkApi at it; every call is recorded in order with its arguments (texts
// and records copied as bytes), results and out-records are scripted, and
// the two callbacks the program registers can be fired from another thread,
// the way the real SDK does.
//
// The recorded list is guarded by a mutex: the play SDK's input call arrives
// on whatever thread fires the data callback.

#include "SdkDefs.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QVariantList>

struct FakeSdkCall
{
    enum Library
    {
        Net,
        Play
    };
    Library library;
    int ordinal;
    QVariantList args; // ints as int, texts and records as QByteArray, pointers as quintptr
    QString name() const;
};

class FakeSdk
{
public:
    FakeSdk();
    ~FakeSdk();
    FakeSdk(const FakeSdk &) = delete;
    FakeSdk &operator=(const FakeSdk &) = delete;

    static FakeSdk &instance();

    // Scripting. A result set for a call is returned from then on; a queued
    // one is returned once, before the standing result.
    void setResult(FakeSdkCall::Library library, int ordinal, int result);
    void queueResult(FakeSdkCall::Library library, int ordinal, int result);
    void setDeviceInfo(const QByteArray &record);
    void setLoginError(int error);
    void setConfigRecord(int command, const QByteArray &record);
    void setConfigResult(int command, int result);
    void setLastError(int error);

    // What happened.
    QList<FakeSdkCall> calls() const;
    QList<FakeSdkCall> callsOf(FakeSdkCall::Library library, int ordinal) const;
    QStringList sequence() const; // "N52", "P17", ...
    void clearCalls();

    // The callbacks, fired on a fresh thread that is joined before returning.
    bool fireDisconnect(int nLoginHandle);
    bool feedData(const QByteArray &data, int nType = 0);

    // Internal: the static functions record through these.
    void record(FakeSdkCall::Library library, int ordinal, const QVariantList &args);
    int resultFor(FakeSdkCall::Library library, int ordinal, int fallback);
    void fillDeviceInfo(void *record);
    int loginError() const;
    int fillConfig(int command, void *buffer, int size);
    int lastError() const;
    void storeDisconnect(tvsdk::DisconnectCallback callback, void *user);
    void storeDataCallback(int handle, tvsdk::RealDataCallback callback, void *user);

private:
    mutable QMutex m_mutex;
    QList<FakeSdkCall> m_calls;
    QMap<QPair<int, int>, int> m_results;
    QMap<QPair<int, int>, QList<int>> m_queued;
    QByteArray m_deviceInfo;
    int m_loginError = 0;
    QMap<int, QByteArray> m_configRecords;
    QMap<int, int> m_configResults;
    int m_lastError = 0;
    tvsdk::DisconnectCallback m_disconnect = nullptr;
    void *m_disconnectUser = nullptr;
    int m_dataHandle = 0;
    tvsdk::RealDataCallback m_data = nullptr;
    void *m_dataUser = nullptr;
};
