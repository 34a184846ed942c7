#pragma once
// The title bar of the program's frameless windows: logo, title and the
// system buttons. It moves, maximises and minimises the window it was built
// in (its parent, not owned beyond the usual parent-child tie) and reports
// close, logout and refresh choices only by signals. GUI thread only.

#include <QPoint>
#include <QWidget>

namespace Ui {
class CTitleWidget;
}

class CTitleWidget : public QWidget
{
    Q_OBJECT
public:
    // parent must not be null; it is the window the bar acts on. Without
    // bFullButtons only close and refresh are shown and double-click does
    // not maximise.
    CTitleWidget(QWidget *parent, bool bFullButtons);
    ~CTitleWidget() override;

signals:
    void closeSignal();
    void exitSignal();
    void refreshResolution();

public slots:
    void btnCloseClicked();
    void btnMaxClicked();
    void btnMinClicked();
    void btnExitClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void decorateButtons();
    bool confirm(const QString &strText);

    Ui::CTitleWidget *ui;
    QWidget *pParentWnd;
    bool bFullButtons;
    bool bMaximized = false;
    bool bPressed = false;
    QPoint ptWindowPos;
    QPoint ptPressGlobal;
};
