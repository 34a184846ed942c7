#pragma once

#include <QApplication>

class QKeyEvent;

class CGlobalApplication : public QApplication
{
    Q_OBJECT
public:
    CGlobalApplication(int &argc, char **argv);
    ~CGlobalApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // The key filter on its own: true for the keys no widget may see.
    static bool isSwallowedKey(const QKeyEvent *event);

signals:
    void keyPressSignal(QKeyEvent *event);
};
