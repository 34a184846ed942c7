/* Telvane skin. "@skinpath" is replaced at start-up by the absolute path of
   this directory, so image URLs work wherever the program is unpacked.

   No rule here sets min-width, min-height or any other size: a size rule
   replaces the minimum that the program itself gives its widgets (the
   120 x 30 login buttons, the 35 px input rows, the 70 x 25 box buttons)
   when the widget is polished, after the program has set it. */

QWidget {
    font-family: "DejaVu Sans", "Segoe UI", sans-serif;
    font-size: 13px;
    color: #1d2633;
}

QToolTip {
    color: #f4f7fb;
    background: #1d2633;
    border: 1px solid #2f3d52;
    padding: 4px 6px;
}

/* --- window bodies ---------------------------------------------------- */
/* Both top-level windows, the login dialog and the main window, are named
   MainFrame by the program. */
#MainFrame {
    background: #f3f5f9;
}

QWidget#PlayWnd, QWidget#CPlayWnd {
    background: #000000;
}

QFrame#framebottom {
    background: #1b2431;
    border-top: 1px solid #2a3647;
}

/* --- title bar -------------------------------------------------------- */
QWidget#TitleWidget {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #243244, stop:1 #1b2533);
}

QWidget#TitleWidget QLabel {
    color: #f4f7fb;
    font-size: 14px;
    font-weight: bold;
    background: transparent;
}

QToolButton#SysBtn, QPushButton#SysBtn {
    background: transparent;
    border: none;
    border-radius: 4px;
}

QToolButton#SysBtn:hover, QPushButton#SysBtn:hover {
    background: rgba(255, 255, 255, 36);
}

QToolButton#SysBtn:pressed, QPushButton#SysBtn:pressed {
    background: rgba(255, 255, 255, 60);
}

/* --- form controls ---------------------------------------------------- */
QLabel {
    background: transparent;
}

QLineEdit, QComboBox {
    background: #ffffff;
    border: 1px solid #c9d2de;
    border-radius: 4px;
    padding: 4px 8px;
    selection-background-color: #2d7ff0;
}

QLineEdit:focus, QComboBox:focus {
    border: 1px solid #2d7ff0;
}

QLineEdit:disabled, QComboBox:disabled {
    background: #eceff4;
    color: #8a96a8;
}

/* Drop-down lists rather than menus placed over the box: a menu-style pop-up
   sizes itself by rules it read before the box had its name, and shows one
   row of the language box with a scroll arrow. Set by type, so that every
   combo box reads it the same from the start. */
QComboBox {
    combobox-popup: 0;
}

QComboBox::drop-down {
    subcontrol-origin: padding;
    subcontrol-position: center right;
    width: 24px;
    border: none;
}

QComboBox::down-arrow {
    image: url(@skinpath/icons/arrow_down.png);
    width: 12px;
    height: 12px;
}

QComboBox QAbstractItemView::item {
    padding: 4px 6px;
}

QComboBox QAbstractItemView {
    background: #ffffff;
    border: 1px solid #c9d2de;
    selection-background-color: #2d7ff0;
    selection-color: #ffffff;
    outline: none;
}

QComboBox#LanguageBox {
    background: #ffffff;
    padding: 2px 6px;
}

QCheckBox {
    spacing: 6px;
    background: transparent;
}

QCheckBox::indicator {
    width: 15px;
    height: 15px;
    border: 1px solid #9aa7b8;
    border-radius: 3px;
    background: #ffffff;
}

QCheckBox::indicator:checked {
    background: #2d7ff0;
    border: 1px solid #2d7ff0;
    image: url(@skinpath/icons/check.png);
}

QPushButton {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a8dff, stop:1 #2370e0);
    color: #ffffff;
    border: none;
    border-radius: 4px;
    padding: 6px 18px;
    font-weight: bold;
}

QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4f9bff, stop:1 #2d7ff0);
}

QPushButton:pressed {
    background: #1c5fc4;
}

QPushButton:disabled {
    background: #a9bad2;
    color: #eef2f7;
}

/* --- IPv4 editor: four borderless parts inside one framed field -------- */
QLineEdit#IPLineEdit {
    border: none;
    border-radius: 0;
    background: transparent;
    padding: 0;
}

CMyIpAddrEdit {
    background: #ffffff;
    border: 1px solid #c9d2de;
    border-radius: 4px;
}

/* One of the four parts has the focus: the whole field shows it. */
CMyIpAddrEdit[focused="true"] {
    border: 1px solid #2d7ff0;
}

/* --- message box ------------------------------------------------------ */
QWidget#CMessageBox {
    background: #ffffff;
}

QWidget#CMessageBox QLabel {
    color: #1d2633;
    font-size: 14px;
}

QPushButton#WhiteToolButton {
    background: #ffffff;
    color: #2370e0;
    border: 1px solid #2d7ff0;
    border-radius: 4px;
    padding: 0;
    font-size: 13px;
    font-weight: bold;
}

QPushButton#WhiteToolButton:hover, QPushButton#WhiteToolButton:focus {
    background: #2d7ff0;
    color: #ffffff;
}

QPushButton#WhiteToolButton:pressed {
    background: #1c5fc4;
    border-color: #1c5fc4;
    color: #ffffff;
}

/* Last, so that it outranks the hover and focus looks above: a Login button
   disabled while a login runs must not look ready. */
QPushButton#WhiteToolButton:disabled {
    background: #eceff4;
    border-color: #c9d2de;
    color: #9aa5b5;
}
