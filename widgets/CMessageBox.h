#pragma once
// The program's frameless message box. The dialog itself is only a
// half-transparent black veil laid over the window it belongs to; the message
// stands in `frame`, a separate white top-level window that the dialog owns
// and keeps centred on the screen of that window. Closing either window ends
// the box without a button; Return and Enter answer with the focused button.
// Where the platform shows windows opaque whatever their opacity, the veil
// paints a darkened picture of the window it covers instead.
// GUI thread only: the static functions run a nested event loop and return
// the index of the chosen button.

#include <QDialog>
#include <QDialogButtonBox>
#include <QList>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QRect>

#include <functional>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;

class CMessageBox : public QDialog
{
    Q_OBJECT
public:
    // Result of a box dismissed without any of its buttons (closed by the
    // window system): distinct from every button index, so that a dismissed
    // confirmation is never taken for its first answer.
    static constexpr int kClosedWithoutButton = -1;

    CMessageBox(QMessageBox::Icon icon, const QString &strTitle, const QString &strText,
                QMessageBox::StandardButtons buttons = QMessageBox::NoButton,
                QWidget *parent = nullptr, bool bCenter = false);
    ~CMessageBox() override;

    static int information(QWidget *parent, const QString &strTitle, const QString &strText,
                           const QString &strButton0 = QString(),
                           const QString &strButton1 = QString(),
                           const QString &strButton2 = QString(), int nDefaultButton = 0,
                           int nEscapeButton = -1, bool bCenter = false);
    static int question(QWidget *parent, const QString &strTitle, const QString &strText,
                        const QString &strButton0 = QString(),
                        const QString &strButton1 = QString(),
                        const QString &strButton2 = QString(), int nDefaultButton = 0,
                        int nEscapeButton = -1, bool bCenter = false);
    static int warning(QWidget *parent, const QString &strTitle, const QString &strText,
                       const QString &strButton0 = QString(), const QString &strButton1 = QString(),
                       const QString &strButton2 = QString(), int nDefaultButton = 0,
                       int nEscapeButton = -1, bool bCenter = false);

    // Boxes open right now, nested ones included.
    static int openCount();
    // Runs fn once no box is open any more (at once, queued, when none is);
    // dropped if context is destroyed first.
    static void whenNoneOpen(QObject *context, std::function<void()> fn);
    // The screen a box belongs on: the one holding most of its owner's
    // window, else the primary one.
    static QRect screenFor(const QRect &owner, const QList<QRect> &screens, const QRect &primary);
    // The program window a box without a parent belongs to: the active one,
    // else the first visible one; boxes themselves stand for their owners.
    static QWidget *ownerFor(QWidget *parent);

    void init(const QString &strTitle, const QString &strText);
    void setText(const QString &strText);
    void setIcon(QMessageBox::Icon icon);
    void setIconPixmap(const QPixmap &pixmap);
    QPushButton *addButton(const QString &strText, QMessageBox::ButtonRole role);
    void addButton(QAbstractButton *button, QMessageBox::ButtonRole role);
    void removeButton(QAbstractButton *button);

public slots:
    // Ends the box with kClosedWithoutButton instead of the dialog's
    // Rejected code 0, which would read as the first button.
    void reject() override;

protected slots:
    // Named like Qt's private slots by the design, as are the members
    // without m_ below (docs/architecture.md, "Names").
    void _q_buttonClicked(QAbstractButton *button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static int showMessage(QMessageBox::Icon icon, QWidget *parent, const QString &strTitle,
                           const QString &strText, const QString &strButton0,
                           const QString &strButton1, const QString &strButton2, bool bCenter);
    void placeVeil(QWidget *parent, bool bCenter);
    void centreFrame();
    void prepareVeil();
    QPixmap grabOwner() const;
    QPixmap grabCovered() const;
    bool answerByKey(int nKey);
    void paintFrame();
    void maskFrame();
    void handBackKeyboard();

    QFrame *frame = nullptr;
    QLabel *label = nullptr;
    QLabel *iconLabel = nullptr;
    QDialogButtonBox *buttonBox = nullptr;
    QList<QAbstractButton *> customButtonList;
    // What the veil covered when it was shown, where the veil cannot be
    // translucent; null elsewhere.
    QPixmap m_coveredPicture;
    // The window that had the keyboard when the box came up; it takes it
    // back when the box is answered.
    QPointer<QWidget> m_pKeyboardOwner;
};
