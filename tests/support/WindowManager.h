#pragma once
// A real window manager (openbox) on the test's own X server, for tests of
// what a desktop changes: who holds the keyboard, where windows go. start()
// returns once the manager has announced itself on the root window; the
// destructor stops it.

#include <QProcess>

class WindowManager
{
public:
    WindowManager() = default;
    ~WindowManager();
    WindowManager(const WindowManager &) = delete;
    WindowManager &operator=(const WindowManager &) = delete;

    bool start();
    // The window the manager calls active (_NET_ACTIVE_WINDOW), 0 if none.
    static quintptr activeWindow();

private:
    static QByteArray rootProperty(const char *name);

    QProcess m_process;
};
