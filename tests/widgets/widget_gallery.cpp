// Shows the title bar, the IPv4 editor and a notice over them in the skin,
// for looking at the widgets by eye (screenshots under Xvfb).

#include "CMessageBox.h"
#include "CMyIpAddrEdit.h"
#include "CTitleWidget.h"
#include "StartupFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopWidget>
#include <QFormLayout>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString appDir = QCoreApplication::applicationDirPath();
    app.setStyleSheet(StartupFiles::loadStyleSheet(appDir));

    QFrame window(nullptr, Qt::FramelessWindowHint);
    window.setObjectName(QStringLiteral("MainFrame"));
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new CTitleWidget(&window, true);
    bar->setFixedHeight(45);
    layout->addWidget(bar);

    auto *form = new QFormLayout;
    form->setContentsMargins(40, 30, 40, 30);
    form->setVerticalSpacing(14);
    auto *ip = new CMyIpAddrEdit(&window);
    ip->setFixedHeight(35);
    ip->setText(QStringLiteral("192.168.1.10"));
    form->addRow(QStringLiteral("IP Address"), ip);
    auto *port = new QLineEdit(QStringLiteral("34567"));
    port->setFixedHeight(35);
    form->addRow(QStringLiteral("Port"), port);
    form->addRow(QString(), new QCheckBox(QStringLiteral("Save information")));
    auto *login = new QPushButton(QStringLiteral("Login"));
    login->setObjectName(QStringLiteral("WhiteToolButton"));
    login->setFixedSize(120, 30);
    form->addRow(QString(), login);
    layout->addLayout(form);
    layout->addStretch();

    const QRect desktop = QApplication::desktop()->geometry();
    window.resize(520, 330);
    window.move((desktop.width() - 520) / 2, (desktop.height() - 330) / 2);
    window.show();

    const bool bQuestion = app.arguments().contains(QStringLiteral("--question"));
    QTimer::singleShot(500, &window, [&window, bQuestion] {
        if (bQuestion)
            CMessageBox::question(&window, QStringLiteral("Prompt"),
                                  QStringLiteral("Do you want to logout?"), QStringLiteral("Yes"),
                                  QStringLiteral("No"), QString(), 0, -1, false);
        else
            CMessageBox::information(&window, QStringLiteral("Prompt"),
                                     QStringLiteral("Login Fail Connection timed out"),
                                     QStringLiteral("OK"), QString(), QString(), 0, -1, false);
        QApplication::quit();
    });
    return app.exec();
}
