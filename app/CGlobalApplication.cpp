#include "CGlobalApplication.h"

#include <QKeyEvent>

CGlobalApplication::CGlobalApplication(int &argc, char **argv) : QApplication(argc, argv) {}

CGlobalApplication::~CGlobalApplication() = default;

bool CGlobalApplication::isSwallowedKey(const QKeyEvent *event)
{
    // Frameless windows have no other way to refuse Alt+F4, and dialogs must
    // not be dismissed by Escape. Alt+Shift+F4 is deliberately let through.
    if (event->key() == Qt::Key_Escape)
        return true;
    return event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier;
}

bool CGlobalApplication::notify(QObject *receiver, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isSwallowedKey(static_cast<QKeyEvent *>(event)))
        return false;
    return QApplication::notify(receiver, event);
}
