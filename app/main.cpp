#include "frmMain.hpp"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt aborts with a cryptic message; say what to do instead.
bool DisplayAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!DisplayAvailable()) {
        std::fputs("quilvex: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                   "Use quilvex-nmea to send the sentences without a window.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quilvex");
    QApplication::setApplicationVersion(QUILVEX_VERSION);
    QApplication::setDesktopFileName("quilvex");
    QApplication::setWindowIcon(QIcon(":/quilvex/icon.png"));

    quilvex::frmMain window;
    window.show();
    return QApplication::exec();
}
