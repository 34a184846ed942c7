#pragma once
// Answers the next CMessageBox from inside its modal loop: waits until the
// box's frame is on screen, records what it shows, then runs an action on it
// (clicking a button or closing the veil).

#include <QDialog>
#include <QFrame>
#include <QObject>
#include <QPushButton>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <functional>

struct MessageBoxSeen
{
    bool bShown = false;
    QString strTitle;
    QString strText;
    bool bWordWrap = false;
    bool bHasIcon = false;
    bool bMaskRounded = false; // clipped at the corners only
    QStringList buttonTexts;
    QList<QSize> buttonSizes;
    QRect veilGeometry;
    QRect frameGeometry;
};

class MessageBoxDriver : public QObject
{
    Q_OBJECT
public:
    using Action = std::function<void(QFrame *frame, QDialog *veil)>;

    explicit MessageBoxDriver(Action action);

    static Action clickButton(int nIndex);
    static Action closeVeil();

    MessageBoxSeen seen;

private slots:
    void poll();

private:
    static QFrame *visibleFrame();
    void record(QFrame *frame, QDialog *veil);

    Action m_action;
    QTimer m_timer;
};
