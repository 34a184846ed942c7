#include "XInput.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

namespace {
constexpr int kToolDeadlineMs = 5000;
}

bool XInput::run(const QStringList &args)
{
    return !output(args).isNull();
}

// The tool's output, or null when it failed.
QByteArray XInput::output(const QStringList &args)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(kToolDeadlineMs)) {
        tool.kill();
        tool.waitForFinished();
        qWarning("xdotool %s did not finish", qPrintable(args.join(' ')));
        return QByteArray();
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        qWarning("xdotool %s failed: %s", qPrintable(args.join(' ')),
                 tool.readAllStandardError().constData());
        return QByteArray();
    }
    const QByteArray out = tool.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// "mousemove --sync" waits for the pointer to move, forever when it is
// already there.
bool XInput::moveTo(const QPoint &global)
{
    const QByteArray where =
        output({QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
    if (where.isNull())
        return false;
    if (where.contains(QStringLiteral("X=%1\nY=%2\n").arg(global.x()).arg(global.y()).toLatin1()))
        return true;
    return run({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
                QString::number(global.y())});
}

bool XInput::key(const QString &name)
{
    return run({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), name});
}

bool XInput::type(const QString &text)
{
    return run({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

bool XInput::clickAt(const QPoint &global)
{
    return moveTo(global) && run({QStringLiteral("click"), QStringLiteral("1")});
}

bool XInput::wheelAt(const QPoint &global, int nNotches)
{
    return moveTo(global) && run({QStringLiteral("click"), QStringLiteral("--repeat"),
                                  QString::number(qAbs(nNotches)),
                                  nNotches > 0 ? QStringLiteral("4") : QStringLiteral("5")});
}

// The window system counts device pixels; the widget, scaled on a dense
// display, logical ones (the test screen starts at the origin). The click
// lands on the device pixel at the middle of the widget's device area.
bool XInput::click(const QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    const QPointF origin = QPointF(widget->mapToGlobal(QPoint(0, 0))) * ratio;
    const QSizeF size = QSizeF(widget->size()) * ratio;
    return clickAt(QPoint(qRound(origin.x()) + qRound(size.width()) / 2,
                          qRound(origin.y()) + qRound(size.height()) / 2));
}

bool XInput::focusWindow(const QWidget *widget)
{
    const QWidget *window = widget->window();
    // Xvfb runs no window manager: the focus is set directly.
    if (!run({QStringLiteral("windowfocus"), QStringLiteral("--sync"),
              QString::number(window->winId())}))
        return false;
    return QTest::qWaitForWindowActive(const_cast<QWidget *>(window));
}
