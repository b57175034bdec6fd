#include "ProcessSignals.hpp"
#include "frmMain.hpp"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kUsage =
    "Usage: quilvex [--help] [--version]\n"
    "Opens the Quilvex window, which sends NMEA 0183 sentences once a second.\n"
    "Without a display, use quilvex-nmea (see quilvex-nmea --help).\n"
    "Exit status: 0 the window was closed, 1 no display (or this text could not be written),\n"
    "2 an argument other than --help or --version.\n";

std::string DisplayName()
{
    const char* display = std::getenv("DISPLAY");
    return display ? display : "";
}

// Without a display Qt ends with a fatal error and a core dump; before the
// window is up, say instead what failed and what to do.
bool g_windowUp = false;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!g_windowUp && type == QtFatalMsg) {
        std::fprintf(stderr,
                     "quilvex: cannot open the window: no display answers at DISPLAY=\"%s\"; "
                     "run it under xvfb-run, or send without a window with quilvex-nmea\n",
                     DisplayName().c_str());
        std::_Exit(1);
    }
    // Qt's own complaints about the display come before the fatal one.
    if (!g_windowUp && context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

bool NoDisplayAtAll()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return !set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

// A text for standard output that does not reach it is an error, said on standard error.
int Print(const char* text)
{
    std::fputs(text, stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "quilvex: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    // SIGUSR1 toggles the fix, as the menu item does, however early it comes;
    // stop signals keep their defaults.
    quilvex::CatchProcessSignals("quilvex", false);
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h"))
            return Print(kUsage);
        if (!std::strcmp(argv[i], "--version"))
            return Print("quilvex " QUILVEX_VERSION "\n");
    }
    // Everything is chosen in the window; Qt's own settings come from its
    // environment variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE).
    if (argc > 1) {
        std::fprintf(stderr, "quilvex: unknown argument \"%s\": quilvex takes only --help and --version\n", argv[1]);
        return 2;
    }
    if (NoDisplayAtAll()) {
        std::fputs("quilvex: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset or empty); "
                   "run it under xvfb-run, or send without a window with quilvex-nmea\n",
                   stderr);
        return 1;
    }
    qInstallMessageHandler(OnQtMessage);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // Qt took it from the environment; printed numbers keep a decimal point
    QApplication::setOrganizationName("Quilvex");
    QApplication::setApplicationName("Quilvex");
    // Qt's own texts (an edit field's menu, dialog buttons) in Japanese:
    // from the folder beside the program on Windows, else from Qt's own.
    QTranslator qtTexts;
    for (const QString& folder : {QApplication::applicationDirPath() + "/translations",
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_", folder)) {
            QApplication::installTranslator(&qtTexts);
            break;
        }
    }
    QApplication::setApplicationVersion(QUILVEX_VERSION);
    QApplication::setDesktopFileName("quilvex");
    QApplication::setWindowIcon(QIcon(":/quilvex/icon.png"));

    quilvex::frmMain window;
    quilvex::WatchProcessSignals(&window, [&window](quilvex::ProcessSignal) { window.ToggleFix(); });
    window.show();
    g_windowUp = true;
    qInstallMessageHandler(nullptr);
    return QApplication::exec();
}
