#pragma once
// Answers the program's modal boxes in tests: every message box that comes
// up is recorded with its text and answered with a chosen button, so that a
// test can run code that prompts and then check what it was told.

#include <QObject>
#include <QStringList>
#include <QTimer>

class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    // nButton: index of the custom button to click; -1 closes the box
    // without a button.
    explicit ModalAnswerer(int nButton = 0);

    QStringList texts() const { return m_texts; }
    void setButton(int nButton) { m_nButton = nButton; }

private:
    void poll();

    QTimer m_timer;
    QStringList m_texts;
    int m_nButton;
};
