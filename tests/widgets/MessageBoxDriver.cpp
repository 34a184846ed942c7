#include "MessageBoxDriver.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>

MessageBoxDriver::MessageBoxDriver(int nAnswer) : m_nAnswer(nAnswer)
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxDriver::poll);
    m_timer.start(10);
}

void MessageBoxDriver::poll()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *frame = qobject_cast<QFrame *>(widget);
        auto *veil = frame ? qobject_cast<QDialog *>(frame->parentWidget()) : nullptr;
        if (!veil || frame->objectName() != "CMessageBox" || !frame->isVisible() ||
            !veil->isVisible())
            continue;
        m_timer.stop();
        record(frame);
        answer(frame);
        watchForStuckBox(veil);
        return;
    }
}

void MessageBoxDriver::answer(QFrame *frame)
{
    const auto buttons = frame->findChildren<QPushButton *>("WhiteToolButton");
    if (m_nAnswer >= 0 && m_nAnswer < buttons.size()) {
        QTest::mouseClick(buttons.at(m_nAnswer), Qt::LeftButton);
    } else if (m_nAnswer == kCloseBox) {
        // What the platform delivers when the user closes the box's own window.
        QCloseEvent close;
        QCoreApplication::sendEvent(frame->windowHandle(), &close);
    } else {
        frame->parentWidget()->close();
    }
}

void MessageBoxDriver::watchForStuckBox(QDialog *veil)
{
    QPointer<QDialog> guard(veil);
    QTimer::singleShot(2000, this, [this, guard] {
        if (guard && guard->isVisible()) {
            seen.bStuck = true;
            guard->close();
        }
    });
}

void MessageBoxDriver::record(QFrame *frame)
{
    seen.bShown = true;
    seen.strTitle = frame->parentWidget()->windowTitle();
    auto *label = frame->findChild<QLabel *>("qt_msgbox_label");
    auto *icon = frame->findChild<QLabel *>("msgboxex_icon_label");
    seen.strText = label ? label->text() : QString();
    seen.bWordWrap = label && label->wordWrap();
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    seen.bHasIcon = icon && !icon->pixmap(Qt::ReturnByValue).isNull();
#else
    seen.bHasIcon = icon && icon->pixmap() && !icon->pixmap()->isNull();
#endif
    const QRegion mask = frame->mask();
    seen.bMaskRounded = mask.contains(frame->rect().center()) && !mask.contains(QPoint(0, 0)) &&
                        mask.contains(QPoint(frame->width() / 2, 0));
    for (QPushButton *button : frame->findChildren<QPushButton *>("WhiteToolButton")) {
        seen.buttonTexts << button->text();
        seen.buttonSize = button->size();
    }
    seen.veilGeometry = frame->parentWidget()->geometry();
    seen.veilPicture = frame->parentWidget()->grab().toImage();
    seen.veilOpacity = frame->parentWidget()->windowOpacity();
    seen.frameGeometry = frame->geometry();
}
