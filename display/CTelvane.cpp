#include "CTelvane.h"

#include "AppConfig.h"
#include "CMessageBox.h"
#include "CTitleWidget.h"
#include "CVideoFrame.h"
#include "ConfigKeys.h"
#include "DeviceScaler.h"
#include "Relauncher.h"
#include "RemoteCtrlCommand.h"
#include "SdkApi.h"
#include "SdkInitializer.h"
#include "SpsPictureSize.h"
#include "WindowBorder.h"
#include "WindowCentring.h"

#include <QApplication>
#include <QIcon>
#include <QPropertyAnimation>
#include <QTimerEvent>
#include <array>

using namespace tvsdk;

namespace {
constexpr int kTitleHeight = 45;
constexpr int kMinimumWidth = 900;
constexpr int kMinimumHeight = 600;
constexpr int kFadeMs = 1000;
constexpr int kMoveTimerMs = 40;
const char *const kBlack = "background-color:rgb(0, 0, 0)";
} // namespace

CTelvane::CTelvane(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setWindowFlags(Qt::FramelessWindowHint);
    ui.setupUi(this);
    m_nPlayPort = 0;
    setObjectName(QStringLiteral("MainFrame"));
    ui.PlayWnd->setStyleSheet(QLatin1String(kBlack));
    ui.frametop->setFixedHeight(kTitleHeight);
    ui.frametop->setObjectName(QStringLiteral("TitleWidget"));

    m_pTitleWidget = new CTitleWidget(this, true);
    m_pTitleWidget->setFixedHeight(kTitleHeight);
    setWindowTitle(tr("Remote Control"));
    ui.verticalLayout_3->addWidget(m_pTitleWidget);
    connect(m_pTitleWidget, SIGNAL(closeSignal()), this, SLOT(onCloseWindow()));
    connect(m_pTitleWidget, SIGNAL(exitSignal()), this, SLOT(onExit()));
    connect(m_pTitleWidget, SIGNAL(refreshResolution()), this, SLOT(onRefreshResolution()));

    m_pVideoFrame = new CVideoFrame(this);
    connect(m_pVideoFrame, SIGNAL(mouseEventSignal(Key_Map_Type, ZT_MSG_TYPE, int, QPoint)), this,
            SLOT(onMouseEventSlot(Key_Map_Type, ZT_MSG_TYPE, int, QPoint)));
    ui.gridLayout->addWidget(m_pVideoFrame);

    setWindowIcon(QIcon(
        QStringLiteral("%1/skin/icons/logo.png").arg(QCoreApplication::applicationDirPath())));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    initSdk();
    onResetData();
    WindowCentring::centre(this);
    fadeWindow(0, 1);
}

CTelvane::~CTelvane()
{
    if (m_bRealPlay)
        onStopRealPlay();
    if (m_nLoginHandle > 0)
        sdkApi().logout(m_nLoginHandle);
    // Joins every SDK thread: no callback runs into this window afterwards.
    sdkApi().cleanup();
}

void CTelvane::initSdk()
{
    SdkInitializer::run(&CTelvane::disconnectCallback, this);
}

void CTelvane::setLoginResult(int nLoginHandle, int nChannel, int nDevWidth, int nDevHeight)
{
    setLoginHandle(nLoginHandle);
    m_nChannel = nChannel;
    m_nDevWidth = nDevWidth;
    m_nDevHeight = nDevHeight;
    QApplication::setActiveWindow(this);
}

void CTelvane::fadeWindow(qreal from, qreal to)
{
    auto *animation = new QPropertyAnimation(this, "windowOpacity", this);
    animation->setDuration(kFadeMs);
    animation->setStartValue(from);
    animation->setEndValue(to);
    if (to == 0)
        connect(animation, SIGNAL(finished()), this, SLOT(close()));
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void CTelvane::onCloseWindow()
{
    m_bEnding = true;
    fadeWindow(1, 0);
}

void CTelvane::onResetData()
{
    if (m_nTimerId > 0)
        killTimer(m_nTimerId);
    m_bRealPlay = false;
    m_nChannel = 0;
    setLoginHandle(-1);
    m_nTimerId = -1;
    m_nRealPlayHandle = -1;
    nLastSentX = 0;
    nLastSentY = 0;
    nPendingY = 0;
    nPendingX = 0;
    nHeldButton = Key_Map_LeftButton;
}

void CTelvane::onRefreshResolution()
{
    std::array<unsigned char, DisplayResolution::kSize> record{};
    int nReturned = 0;
    const int nRet = sdkApi().getDevConfig(m_nLoginHandle, kCmdDisplayResolution, kConfigChannelAll,
                                           record.data(), int(record.size()), &nReturned,
                                           kDisplayResolutionTimeoutMs);
    const int nWidth = readInt32(record.data(), DisplayResolution::kWidth);
    const int nHeight = readInt32(record.data(), DisplayResolution::kHeight);
    // A size of 0 would make every later click unscalable; the old one stays.
    if (nRet < 0 || nWidth <= 0 || nHeight <= 0) {
        showNotice(QStringLiteral("%1 nRet = %2").arg(tr("Refresh resolution Fail")).arg(nRet));
        return;
    }
    m_nDevWidth = nWidth;
    m_nDevHeight = nHeight;
}

void CTelvane::showNotice(const QString &text)
{
    CMessageBox::information(QApplication::activeWindow(), tr("Prompt"), text, tr("OK"), QString(),
                             QString(), 0, -1, false);
}

void CTelvane::paintEvent(QPaintEvent *event)
{
    WindowBorder::paint(this);
    QWidget::paintEvent(event);
}

// ---- live stream -------------------------------------------------------------

void CTelvane::stopSequence()
{
    // The callback goes first so that no data is fed to a decoder port that
    // is being torn down.
    sdkApi().delRealDataCallback(m_nRealPlayHandle, &CTelvane::realDataCallback, this);
    sdkApi().stopRealPlay(m_nRealPlayHandle, nullptr);
    releaseDecoder();
    m_nRealPlayHandle = -1;
}

void CTelvane::releaseDecoder()
{
    sdkApi().playStop(m_nPlayPort);
    sdkApi().playCloseStream(m_nPlayPort);
    sdkApi().playFreePort(m_nPlayPort);
}

int CTelvane::startRealPlay()
{
    if (m_nRealPlayHandle != -1)
        stopSequence();
    m_pVideoFrame->update();
    unsigned char header[kPlayHeaderLength] = {0};
    const int nOpened =
        sdkApi().playOpenStream(m_nPlayPort, header, kPlayHeaderLength, kPlayStreamBufferSize);
    if (nOpened == 0) {
        // Staying logged in would leave a black picture that takes no input.
        leaveAfterFailedStart(nOpened);
        return 0;
    }
    sdkApi().playPlay(m_nPlayPort, reinterpret_cast<void *>(m_pVideoFrame->winId()));

    std::array<unsigned char, ClientInfo::kSize> clientInfo{};
    writeInt32(clientInfo.data(), ClientInfo::kChannel, m_nChannel);
    m_nRealPlayHandle = sdkApi().realPlay(m_nLoginHandle, clientInfo.data(), 1);
    m_nStreamSize.store(0);
    if (m_nRealPlayHandle > 0) {
        sdkApi().setRealDataCallback(m_nRealPlayHandle, &CTelvane::realDataCallback, this);
        m_bRealPlay = true;
        m_nTimerId = startTimer(kMoveTimerMs, Qt::CoarseTimer);
        return m_nRealPlayHandle;
    }
    const int nError = sdkApi().getLastError();
    releaseDecoder();
    leaveAfterFailedStart(nError);
    return m_nRealPlayHandle;
}

void CTelvane::leaveAfterFailedStart(int nError)
{
    showNotice(QStringLiteral("%1 nRet = %2").arg(tr("Start RealPlay Fail")).arg(nError));
    // Called before the event loop runs: a direct exit() would be lost.
    QMetaObject::invokeMethod(this, "onExit", Qt::QueuedConnection);
}

int TV_SDK_CALL CTelvane::realDataCallback(int nRealPlayHandle, int nDataType, unsigned char *pData,
                                           int nLength, void *pUser)
{
    auto *window = static_cast<CTelvane *>(pUser);
    if (!window)
        return 1;
    sdkApi().playInputData(window->m_nPlayPort, pData, nLength);
    window->watchPictureSize(pData, nLength);
    return 1;
}

// SDK thread. The play SDK offers no size query: the recorder's changed
// resolution shows first as a new sequence header in the stream.
void CTelvane::watchPictureSize(const unsigned char *pData, int nLength)
{
    SpsPictureSize::Size size;
    if (nLength <= 0 || !SpsPictureSize::find(pData, size_t(nLength), size))
        return;
    const quint64 nSize = (quint64(size.nWidth) << 32) | quint32(size.nHeight);
    const quint64 nBefore = m_nStreamSize.exchange(nSize);
    if (nBefore != 0 && nBefore != nSize)
        QMetaObject::invokeMethod(this, "onPictureSizeChanged", Qt::QueuedConnection,
                                  Q_ARG(int, size.nWidth), Q_ARG(int, size.nHeight));
}

// Clicks are scaled to the recorder's display, which has just changed: ask
// it, as the title bar's refresh button does.
void CTelvane::onPictureSizeChanged(int nWidth, int nHeight)
{
    if (!m_bRealPlay)
        return;
    qDebug("Stream picture now %dx%d", nWidth, nHeight);
    onRefreshResolution();
}

void CTelvane::onStopRealPlay()
{
    if (m_nRealPlayHandle > 0)
        stopSequence();
    m_bRealPlay = false;
    onResetData();
    ui.PlayWnd->setStyleSheet(QLatin1String(kBlack));
}

// ---- end of session ----------------------------------------------------------

void TV_SDK_CALL CTelvane::disconnectCallback(int nLoginHandle, char *pReserved, int nReserved,
                                              void *pUser)
{
    auto *window = static_cast<CTelvane *>(pUser);
    if (window)
        window->onDisconnect(nLoginHandle);
}

void CTelvane::setLoginHandle(int nLoginHandle)
{
    m_nLoginHandle = nLoginHandle;
    m_nReportHandle.store(nLoginHandle);
}

void CTelvane::onDisconnect(int nLoginHandle)
{
    // Any thread. A report is judged against the handle held when it
    // arrives: one that comes while no session is held (during the silent
    // login, before setLoginResult) must not match the handle handed over
    // later. The GUI thread compares again, since the session may end
    // before the queued call runs.
    const int nHeld = m_nReportHandle.load();
    if (nHeld < 1 || nLoginHandle != nHeld)
        return;
    QMetaObject::invokeMethod(this, "onDisconnectReported", Qt::QueuedConnection,
                              Q_ARG(int, nLoginHandle));
}

void CTelvane::onDisconnectReported(int nLoginHandle)
{
    if (m_nLoginHandle < 1 || nLoginHandle != m_nLoginHandle || m_bLeaving)
        return;
    m_bLeaving = true;
    // One box at a time: a disconnect that comes while the user reads a
    // notice or answers a question is told once that box is answered.
    if (CMessageBox::openCount() > 0) {
        CMessageBox::whenNoneOpen(this, [this] { tellDisconnect(); });
        return;
    }
    tellDisconnect();
}

void CTelvane::tellDisconnect()
{
    // A Yes to close or to log out has ended the session meanwhile.
    if (m_bEnding)
        return;
    showNotice(tr("Device Disconnect"));
    onExit();
}

void CTelvane::onExit()
{
    m_bLeaving = true;
    m_bEnding = true;
    // On disk before the new instance reads it.
    AppConfig::writeSynced(ConfigKeys::kAutoLogin, 0);
    QCoreApplication::exit(Relauncher::kRestartCode);
}

// ---- remote control ----------------------------------------------------------

void CTelvane::onMouseEventSlot(Key_Map_Type keyType, ZT_MSG_TYPE nType, int nWheel, QPoint point)
{
    if (!m_bRealPlay)
        return;
    // The frame reports device pixels; so is its size measured.
    const qreal ratio = m_pVideoFrame->devicePixelRatioF();
    const int nWidth = qRound(m_pVideoFrame->geometry().width() * ratio);
    const int nHeight = qRound(m_pVideoFrame->geometry().height() * ratio);
    if (nWidth == 0 || nHeight == 0)
        return;
    if (nType == ZT_MSG_LBUTTON_UP || nType == ZT_MSG_RBUTTON_UP)
        nHeldButton = 0;
    else if (nType == ZT_MSG_LBUTTON_DOWN || nType == ZT_MSG_RBUTTON_DOWN)
        nHeldButton = keyType;
    if (m_nDevWidth <= 0 || m_nDevHeight <= 0)
        return;
    const int nX = DeviceScaler::scaleAxis(point.x(), nWidth, m_nDevWidth);
    const int nY = DeviceScaler::scaleAxis(point.y(), nHeight, m_nDevHeight);
    if (nType == ZT_MSG_MOUSE_MOVE) {
        nPendingX = nX;
        nPendingY = nY;
        return;
    }
    sendCommand(RemoteCtrlCommand::eventCommand(keyType, nType, nWheel, nX, nY));
}

void CTelvane::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_nTimerId || !m_bRealPlay)
        return;
    if (nPendingX == nLastSentX && nPendingY == nLastSentY)
        return;
    // Recorded as sent before the call: a failed move is not repeated.
    nLastSentX = nPendingX;
    nLastSentY = nPendingY;
    sendCommand(RemoteCtrlCommand::moveCommand(nHeldButton, nLastSentX, nLastSentY));
}

void CTelvane::sendCommand(const std::string &json)
{
    sdkApi().sendJson(m_nLoginHandle, kRemoteCtrlCommand, kRemoteCtrlMsgId, kRemoteCtrlChannel,
                      json.c_str(), int(json.size()), kRemoteCtrlTimeoutMs);
}
