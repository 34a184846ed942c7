#pragma once
// Answers the next CMessageBox from inside its modal loop: waits until its
// frame is on screen, records what it shows, then clicks button nAnswer or,
// for -1, closes the veil as the window system would.

#include <QObject>
#include <QRect>
#include <QStringList>
#include <QTimer>

class QFrame;

struct MessageBoxSeen
{
    bool bShown = false;
    QString strTitle;
    QString strText;
    bool bWordWrap = false;
    bool bHasIcon = false;
    bool bMaskRounded = false; // clipped at the corners only
    QStringList buttonTexts;
    QSize buttonSize;
    QRect veilGeometry;
    QRect frameGeometry;
};

class MessageBoxDriver : public QObject
{
    Q_OBJECT
public:
    explicit MessageBoxDriver(int nAnswer);

    MessageBoxSeen seen;

private slots:
    void poll();

private:
    void record(QFrame *frame);

    int m_nAnswer;
    QTimer m_timer;
};
