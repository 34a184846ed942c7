#pragma once
// Commands for tests on standard input, one per line:
//   resolution WxH   the display continues at that size
// Unknown lines are logged and ignored; end of input is ignored.

#include <QObject>

class QSocketNotifier;

class StdinControl : public QObject
{
    Q_OBJECT
public:
    explicit StdinControl(QObject *parent = nullptr);

signals:
    void resolutionRequested(int width, int height);

private:
    void readLines();
    QSocketNotifier *m_notifier;
    QByteArray m_pending;
};
