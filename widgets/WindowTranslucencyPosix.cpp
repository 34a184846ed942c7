#include "WindowTranslucency.h"

#include <QByteArray>
#include <QGuiApplication>
#include <dlfcn.h>

namespace {
// Xlib is opened at run time: the client links no X library of its own, and
// the toolkit's X11 plugin has already loaded it into the process.
using XDisplay = void;
using OpenDisplay = XDisplay *(*)(const char *);
using CloseDisplay = int (*)(XDisplay *);
using DefaultScreen = int (*)(XDisplay *);
using InternAtom = unsigned long (*)(XDisplay *, const char *, int);
using GetSelectionOwner = unsigned long (*)(XDisplay *, unsigned long);

struct Xlib
{
    OpenDisplay openDisplay = nullptr;
    CloseDisplay closeDisplay = nullptr;
    DefaultScreen defaultScreen = nullptr;
    InternAtom internAtom = nullptr;
    GetSelectionOwner getSelectionOwner = nullptr;

    bool load()
    {
        void *library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return false;
        openDisplay = reinterpret_cast<OpenDisplay>(dlsym(library, "XOpenDisplay"));
        closeDisplay = reinterpret_cast<CloseDisplay>(dlsym(library, "XCloseDisplay"));
        defaultScreen = reinterpret_cast<DefaultScreen>(dlsym(library, "XDefaultScreen"));
        internAtom = reinterpret_cast<InternAtom>(dlsym(library, "XInternAtom"));
        getSelectionOwner =
            reinterpret_cast<GetSelectionOwner>(dlsym(library, "XGetSelectionOwner"));
        return openDisplay && closeDisplay && defaultScreen && internAtom && getSelectionOwner;
    }
};

// A compositing manager announces itself by owning the selection
// _NET_WM_CM_S<screen>, as X window managers agree.
bool compositingManagerRunning()
{
    static Xlib x;
    static const bool bLoaded = x.load();
    if (!bLoaded)
        return false;
    XDisplay *display = x.openDisplay(nullptr);
    if (!display)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(x.defaultScreen(display));
    const unsigned long atom = x.internAtom(display, name.constData(), 0);
    const bool bRunning = atom != 0 && x.getSelectionOwner(display, atom) != 0;
    x.closeDisplay(display);
    return bRunning;
}
} // namespace

bool WindowTranslucency::probe()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    return compositingManagerRunning();
}
