#pragma once
// The main window: the title bar over the video frame into which the play
// SDK draws the recorder's display. It owns the device session from the
// moment start-up hands over the login result, runs the live stream, turns
// mouse input over the picture into remote-control commands and ends the
// session.
//
// Threads: everything runs on the GUI thread except the two SDK callbacks.
// realDataCallback runs on an SDK thread and reads only m_nPlayPort, which
// never changes after construction, and m_nStreamSize, an atomic it alone
// writes while a stream runs; a new picture size goes to the GUI thread as
// a queued call. disconnectCallback also runs on an SDK
// thread; it reads only m_nReportHandle, an atomic copy of the login handle,
// and queues a matching report to the GUI thread, which compares it again.

#include "SdkCall.h"
#include "ui_CTelvane.h"

#include <QPoint>
#include <QWidget>
#include <atomic>
#include <string>

class CTitleWidget;
class CVideoFrame;
enum Key_Map_Type : int;
enum ZT_MSG_TYPE : int;

class CTelvane : public QWidget
{
    Q_OBJECT
public:
    explicit CTelvane(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~CTelvane() override;

    void setLoginResult(int nLoginHandle, int nChannel, int nDevWidth, int nDevHeight);
    int startRealPlay();
    void initSdk();
    void onDisconnect(int nLoginHandle);

    static void TV_SDK_CALL disconnectCallback(int nLoginHandle, char *pReserved, int nReserved,
                                               void *pUser);
    static int TV_SDK_CALL realDataCallback(int nRealPlayHandle, int nDataType,
                                            unsigned char *pData, int nLength, void *pUser);

public slots:
    void onStopRealPlay();

private slots:
    void onExit();
    void onCloseWindow();
    void onRefreshResolution();
    void onMouseEventSlot(Key_Map_Type keyType, ZT_MSG_TYPE nType, int nWheel, QPoint point);
    void onResetData();
    void onDisconnectReported(int nLoginHandle);
    void onPictureSizeChanged(int nWidth, int nHeight);

protected:
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void stopSequence();
    void releaseDecoder();
    void sendCommand(const std::string &json);
    void showNotice(const QString &text);
    void fadeWindow(qreal from, qreal to);
    void leaveAfterFailedStart(int nError);
    void setLoginHandle(int nLoginHandle);
    void tellDisconnect();
    void watchPictureSize(const unsigned char *pData, int nLength);

    Ui::RemoteCtrlClass ui;
    CTitleWidget *m_pTitleWidget;
    CVideoFrame *m_pVideoFrame;
    int m_nPlayPort = 0;
    int m_nRealPlayHandle = -1;
    bool m_bRealPlay = false;
    int m_nLoginHandle = -1;
    // m_nLoginHandle as the SDK's disconnect thread may read it.
    std::atomic<int> m_nReportHandle{-1};
    // The stream's picture size, width in the high half; 0 until one is seen.
    std::atomic<quint64> m_nStreamSize{0};
    int m_nChannel = 0;
    int m_nTimerId = -1;
    // The remote-control positions keep the design's names, without m_
    // (docs/architecture.md, "Names").
    int nLastSentX = 0;
    int nLastSentY = 0;
    int nPendingX = 0;
    int nPendingY = 0;
    int m_nDevWidth = 0;
    int m_nDevHeight = 0;
    int nHeldButton = 0; // onResetData gives it its start value
    // A lost connection is told once, however many reports the SDK sends
    // before the run ends.
    bool m_bLeaving = false;
    // The user closed or logged out: the session ends without a notice.
    bool m_bEnding = false;

    friend class CTelvaneProbe; // tests read the session state through it
};
