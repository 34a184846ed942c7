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
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(kToolDeadlineMs)) {
        tool.kill();
        tool.waitForFinished();
        qWarning("xdotool %s did not finish", qPrintable(args.join(' ')));
        return false;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        qWarning("xdotool %s failed: %s", qPrintable(args.join(' ')),
                 tool.readAllStandardError().constData());
        return false;
    }
    return true;
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
    return run({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
                QString::number(global.y()), QStringLiteral("click"), QStringLiteral("1")});
}

bool XInput::click(const QWidget *widget)
{
    return clickAt(widget->mapToGlobal(widget->rect().center()));
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
