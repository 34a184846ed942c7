#pragma once
// Answers the next CMessageBox from inside its modal loop: waits until its
// frame is on screen, records what it shows, then clicks button nAnswer or,
// for kCloseVeil or kCloseBox, closes that window as the window system would.
// A box still open a while later counts as stuck and is closed by its veil.

#include <QImage>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <QTimer>

class QDialog;
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
    QImage veilPicture; // as the veil paints itself
    double veilOpacity = 0;
    bool bStuck = false;
};

class MessageBoxDriver : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCloseVeil = -1;
    static constexpr int kCloseBox = -2;

    explicit MessageBoxDriver(int nAnswer);

    MessageBoxSeen seen;

private slots:
    void poll();

private:
    void record(QFrame *frame);
    void answer(QFrame *frame);
    void watchForStuckBox(QDialog *veil);

    int m_nAnswer;
    QTimer m_timer;
};
