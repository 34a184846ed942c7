#include "MessageBoxDriver.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {
constexpr int kPollMs = 10;
}

MessageBoxDriver::MessageBoxDriver(Action action) : m_action(std::move(action))
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxDriver::poll);
    m_timer.start(kPollMs);
}

MessageBoxDriver::Action MessageBoxDriver::clickButton(int nIndex)
{
    return [nIndex](QFrame *frame, QDialog *) {
        const auto buttons = frame->findChildren<QPushButton *>(QStringLiteral("WhiteToolButton"));
        if (nIndex < buttons.size())
            QTest::mouseClick(buttons.at(nIndex), Qt::LeftButton);
    };
}

MessageBoxDriver::Action MessageBoxDriver::closeVeil()
{
    return [](QFrame *, QDialog *veil) { veil->close(); };
}

QFrame *MessageBoxDriver::visibleFrame()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *frame = qobject_cast<QFrame *>(widget);
        if (frame && frame->objectName() == QLatin1String("CMessageBox") && frame->isVisible())
            return frame;
    }
    return nullptr;
}

void MessageBoxDriver::poll()
{
    QFrame *frame = visibleFrame();
    auto *veil = frame ? qobject_cast<QDialog *>(frame->parentWidget()) : nullptr;
    if (!veil || !veil->isVisible())
        return;
    m_timer.stop();
    record(frame, veil);
    m_action(frame, veil);
}

void MessageBoxDriver::record(QFrame *frame, QDialog *veil)
{
    seen.bShown = true;
    seen.strTitle = veil->windowTitle();
    auto *label = frame->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    auto *icon = frame->findChild<QLabel *>(QStringLiteral("msgboxex_icon_label"));
    seen.strText = label ? label->text() : QString();
    seen.bWordWrap = label && label->wordWrap();
    seen.bHasIcon = icon && !icon->pixmap(Qt::ReturnByValue).isNull();
    const QRegion mask = frame->mask();
    seen.bMaskRounded = mask.contains(frame->rect().center()) && !mask.contains(QPoint(0, 0)) &&
                        mask.contains(QPoint(frame->width() / 2, 0));
    for (QPushButton *button :
         frame->findChildren<QPushButton *>(QStringLiteral("WhiteToolButton"))) {
        seen.buttonTexts << button->text();
        seen.buttonSizes << button->size();
    }
    seen.veilGeometry = veil->geometry();
    seen.frameGeometry = frame->geometry();
}
