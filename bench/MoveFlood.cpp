#include "MoveFlood.h"

#include "BenchSession.h"
#include "CVideoFrame.h"
#include "DeviceScaler.h"
#include "RemoteCtrlCommand.h"
#include "RemoteCtrlTypes.h"
#include "SdkApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <string>
#include <vector>

namespace {
struct Sent
{
    std::int64_t ns;
    bool move;
};
std::vector<Sent> g_sent; // GUI thread only
tvsdk::FnSendJson g_realSend = nullptr;

bool isMove(const std::string &doc)
{
    static const std::string msg = '"' + RemoteCtrlCommand::hexValue(ZT_MSG_MOUSE_MOVE) + '"';
    return doc.find(msg) != std::string::npos;
}

int TV_SDK_CALL recordingSend(int handle, const char *name, int msgId, int channel,
                              const char *json, int length, int timeoutMs)
{
    g_sent.push_back({BenchSession::nowNs(), isMove(std::string(json, size_t(length)))});
    return g_realSend(handle, name, msgId, channel, json, length, timeoutMs);
}

class Flood
{
public:
    explicit Flood(BenchSession &s) : m_video(s.video()), m_device(s.options().resolution) {}

    void move(int i)
    {
        // Every position differs from the one before, so none is ignored.
        const int w = m_video->width(), h = m_video->height();
        m_at = QPoint(50 + (i * 7) % (w - 100), 50 + (i * 3) % (h - 100));
        QMouseEvent e(QEvent::MouseMove, m_at, m_video->mapToGlobal(m_at), Qt::NoButton, m_held,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(m_video, &e);
    }

    // Five steps a button: press, release, double-click, release, wheel.
    void button(int step)
    {
        struct Click
        {
            QEvent::Type type;
            ZT_MSG_TYPE left;
            ZT_MSG_TYPE right;
        };
        static const Click clicks[] = {
            {QEvent::MouseButtonPress, ZT_MSG_LBUTTON_DOWN, ZT_MSG_RBUTTON_DOWN},
            {QEvent::MouseButtonRelease, ZT_MSG_LBUTTON_UP, ZT_MSG_RBUTTON_UP},
            {QEvent::MouseButtonDblClick, ZT_MSG_LBUTTON_DBLCLK, ZT_MSG_RBUTTON_DBLCLK},
            {QEvent::MouseButtonRelease, ZT_MSG_LBUTTON_UP, ZT_MSG_RBUTTON_UP},
        };
        if (step % 5 == 4) {
            wheel(step % 2 ? 120 : -120);
            return;
        }
        const bool left = (step / 5) % 2 == 0;
        const Click &c = clicks[step % 5];
        mouse(c.type, left ? Qt::LeftButton : Qt::RightButton,
              left ? Key_Map_LeftButton : Key_Map_RightButton, left ? c.left : c.right);
    }

    std::vector<std::string> expected;

private:
    void mouse(QEvent::Type type, Qt::MouseButton b, int key, int msg)
    {
        m_held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b);
        QMouseEvent e(type, m_at, m_video->mapToGlobal(m_at), b, m_held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_video, &e);
        expect(key, msg, 0);
    }
    void wheel(int delta)
    {
        QWheelEvent e(QPointF(m_at), QPointF(m_video->mapToGlobal(m_at)), QPoint(),
                      QPoint(0, delta), m_held, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_video, &e);
        expect(Key_Map_LeftButton, ZT_MSG_MOUSE_WHEEL, delta > 0 ? 1 : -1);
    }
    void expect(int key, int msg, int wheel)
    {
        const QSize f = m_video->size();
        expected.push_back(RemoteCtrlCommand::eventCommand(
            key, msg, wheel, DeviceScaler::scaleAxis(m_at.x(), f.width(), m_device.width()),
            DeviceScaler::scaleAxis(m_at.y(), f.height(), m_device.height())));
    }

    CVideoFrame *m_video;
    QSize m_device;
    QPoint m_at;
    Qt::MouseButtons m_held = Qt::NoButton;
};

std::vector<std::string> buttonDocuments(const QString &logPath, int &moves)
{
    QFile file(logPath);
    std::vector<std::string> docs;
    moves = 0;
    if (!file.open(QIODevice::ReadOnly))
        return docs;
    const std::string text = file.readAll().toStdString();
    size_t at = 0;
    for (size_t end; (end = text.find("}\n", at)) != std::string::npos; at = end + 2) {
        const std::string doc = text.substr(at, end + 2 - at);
        if (isMove(doc))
            ++moves;
        else
            docs.push_back(doc);
    }
    return docs;
}

// Expected commands missing from what arrived, and of those that arrived,
// how many stand out of order (not in the longest run kept in order).
void compare(const std::vector<std::string> &expected, const std::vector<std::string> &got,
             int &lost, int &reordered)
{
    std::vector<size_t> order; // for each received command, its expected index
    std::vector<bool> used(expected.size(), false);
    for (const std::string &doc : got)
        for (size_t i = 0; i < expected.size(); ++i)
            if (!used[i] && expected[i] == doc) {
                used[i] = true;
                order.push_back(i);
                break;
            }
    lost = int(std::count(used.begin(), used.end(), false));
    std::vector<size_t> tails; // longest increasing subsequence
    for (size_t v : order) {
        auto it = std::lower_bound(tails.begin(), tails.end(), v);
        if (it == tails.end())
            tails.push_back(v);
        else
            *it = v;
    }
    reordered = int(order.size() - tails.size());
}
} // namespace

bool MoveFlood::run(int seconds, Json::Value &out, QString &error)
{
    QTemporaryDir logDir;
    const QString log = logDir.filePath("commands.log");
    BenchSession::Options options;
    options.simOptions = QStringList{"--command-log", log};
    BenchSession session(options);
    if (!session.open(error))
        return false;
    g_realSend = sdkApi().sendJson;
    sdkApi().sendJson = &recordingSend;
    g_sent.clear();

    Flood flood(session);
    QElapsedTimer clock;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int moves = 0, buttons = 0;
    const int totalMs = seconds * 1000;
    clock.start();
    const std::int64_t startNs = BenchSession::nowNs();
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // Catches up by the clock, so the rate holds even when a tick is late.
        const int due = int(qMin<qint64>(clock.elapsed(), totalMs));
        while (moves < due)
            flood.move(moves++);
        while (buttons < due / 100)
            flood.button(buttons++);
    });
    timer.start(1);
    BenchSession::wait(totalMs + 10);
    timer.stop();
    BenchSession::wait(500); // the last tick and the log's last lines
    sdkApi().sendJson = g_realSend;

    std::vector<std::int64_t> moveTimes;
    for (const Sent &s : g_sent)
        if (s.move)
            moveTimes.push_back(s.ns);
    int maxInSecond = 0;
    std::int64_t minGapNs = 0;
    for (size_t i = 0, j = 0; i < moveTimes.size(); ++i) {
        while (moveTimes[i] - moveTimes[j] >= 1000000000LL)
            ++j;
        maxInSecond = std::max(maxInSecond, int(i - j + 1));
        if (i > 0 && (minGapNs == 0 || moveTimes[i] - moveTimes[i - 1] < minGapNs))
            minGapNs = moveTimes[i] - moveTimes[i - 1];
    }
    // Commands per second as the rate between the first and the last: a
    // count over the flood's length would also count the tick at its start.
    const double spanSeconds =
        moveTimes.size() > 1 ? double(moveTimes.back() - moveTimes.front()) / 1e9 : 0;
    int received = 0, lost = 0, reordered = 0;
    const std::vector<std::string> got = buttonDocuments(log, received);
    compare(flood.expected, got, lost, reordered);
    const double floodSeconds = double(BenchSession::nowNs() - startNs) / 1e9 - 0.5;
    out["flood_seconds"] = seconds;
    out["moves_generated"] = moves;
    out["moves_generated_per_s"] = moves / double(seconds);
    out["move_commands_sent"] = int(moveTimes.size());
    out["move_commands_received"] = received;
    out["move_commands_per_s"] = spanSeconds > 0 ? double(moveTimes.size() - 1) / spanSeconds : 0;
    out["move_commands_per_flood_second"] = double(moveTimes.size()) / floodSeconds;
    out["move_gap_min_ms"] = double(minGapNs) / 1e6;
    out["max_moves_in_any_second"] = maxInSecond;
    out["button_commands_expected"] = int(flood.expected.size());
    out["button_commands_received"] = int(got.size());
    out["button_commands_lost"] = lost;
    out["button_commands_reordered"] = reordered;
    out["commands_per_s"] = double(g_sent.size()) / floodSeconds;
    return true;
}
