#pragma once
// One octet of CMyIpAddrEdit: a frameless line edit that keeps 0..255 and
// hands the cursor to its neighbours (full stop, Backspace, Left and Right at
// its edges, and automatically after a complete octet). Focus by keyboard or
// by a click selects the whole octet, so that digits typed next replace it.
// The neighbours are sibling parts owned by the editor; the part only points
// at them. A paste is taken whole or not at all: text with dots goes to the
// editor as an address, anything else must leave a valid octet.

#include <QLineEdit>

class CMyIpPartLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    CMyIpPartLineEdit(QWidget *parent, int nIndex);

    CMyIpPartLineEdit *pNextEdit = nullptr;
    CMyIpPartLineEdit *pPrevEdit = nullptr;

signals:
    void keyPressLeftOrRight(int nKey, int nIndex);
    void addressPasted(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void text_edited(const QString &text);

private:
    static void takeFocus(CMyIpPartLineEdit *edit);
    void pasteText(const QString &text);

    int nPartIndex;
    bool m_bSelectOnPress = false;
};
