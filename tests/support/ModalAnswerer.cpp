#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QWidget>

namespace {
constexpr int kPollMs = 5;

QString mainText(QWidget *box)
{
    // The message label is the one with text; the icon label holds a pixmap.
    QString text;
    for (QLabel *label : box->findChildren<QLabel *>())
        if (!label->text().isEmpty() && label->isVisible())
            text = text.isEmpty() ? label->text() : text + "\n" + label->text();
    return text;
}
} // namespace

ModalAnswerer::ModalAnswerer(int nButton) : m_nButton(nButton)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(kPollMs);
}

void ModalAnswerer::poll()
{
    QWidget *box = QApplication::activeModalWidget();
    if (!box || box->property("tvAnswered").toBool())
        return;
    box->setProperty("tvAnswered", true);
    m_texts.append(mainText(box));
    const QList<QAbstractButton *> buttons = box->findChildren<QAbstractButton *>();
    if (m_nButton >= 0 && m_nButton < buttons.size())
        buttons.at(m_nButton)->click();
    else
        box->close();
}
