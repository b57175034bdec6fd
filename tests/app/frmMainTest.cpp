#include "PseudoTerminal.hpp"
#include "SecondTimer.hpp"
#include "ReceiverDialog.hpp"
#include "SerialOutput.hpp"
#include "SkyView.hpp"
#include "frmMain.hpp"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtTest>

#ifndef _WIN32
#include <termios.h>
#endif

using namespace quilvex;
using namespace std::chrono;

namespace {

template <typename T = QWidget>
T* Find(const frmMain& w, const char* name)
{
    return w.findChild<T*>(name);
}

QString Text(const frmMain& w, const char* name)
{
    if (auto* list = Find<QComboBox>(w, name))
        return list->currentText();
    return Find<QLabel>(w, name)->text();
}

// Running: Start off, Stop on, the timer on, an output open. Stopped: the opposite, titled plainly.
bool InState(const frmMain& w, bool running)
{
    return Find<QPushButton>(w, "cmdStart")->isEnabled() != running &&
           Find<QPushButton>(w, "cmdStop")->isEnabled() == running &&
           w.findChild<SecondTimer*>("Timer1")->isActive() == running &&
           (w.findChild<QObject*>("MSComm1") != nullptr) == running && (running || w.windowTitle() == "Quilvex");
}
bool IsRunning(const frmMain& w) { return InState(w, true); }
bool IsStopped(const frmMain& w) { return InState(w, false); }

void TypeInto(QComboBox* list, const QString& text)
{
    list->setFocus();
    list->lineEdit()->selectAll();
    QTest::keyClick(list, Qt::Key_Backspace);
    for (const QChar c : text)  // keyClicks() takes Latin-1 only; Japanese arrives as committed text
        QTest::sendKeyEvent(QTest::Click, list, c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown,
                            QString(c), Qt::NoModifier);
}

void StartOn(frmMain& w, const QString& port, const QString& rate = "4800")
{
    Find<QComboBox>(w, "cmbCOM")->setEditText(port);
    Find<QComboBox>(w, "cmbBPS")->setEditText(rate);
    QTest::mouseClick(Find<QPushButton>(w, "cmdStart"), Qt::LeftButton);
}

// Reads while the window's event loop runs, for the span or until that many
// whole ticks came: a busy machine delays ticks, never drops them.
std::string Collect(PseudoTerminal& pty, milliseconds span, long ticks = 0)
{
    std::string data;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < span.count() && (!ticks || std::count(data.begin(), data.end(), '\n') < 6 * ticks)) {
        QTest::qWait(2);
        data += pty.readAvailable(0ms);
    }
    return data;
}

#ifdef _WIN32
// Windows has no pseudo-terminals; scripts/windows.sh runs the window on COM1 under Wine.
#define NEEDS_PSEUDO_TERMINAL() QSKIP("drives a pseudo-terminal")
using speed_t = int;
constexpr speed_t B4800 = 4800, B9600 = 9600;
speed_t LineSpeed(const PseudoTerminal&) { return 0; }
#else
#define NEEDS_PSEUDO_TERMINAL()
speed_t LineSpeed(const PseudoTerminal& pty)
{
    termios t{};
    tcgetattr(pty.slaveFd(), &t);
    return cfgetospeed(&t);
}
#endif

// Whether the label, as laid out at its width, cuts a line off or breaks
// one inside a path (a blank-free run of characters from before the CJK
// blocks with a slash).
bool BadlyLaidOut(const QLabel& label)
{
    const auto inRun = [](QChar c) { return !c.isSpace() && c.unicode() < 0x3000; };
    for (const QString& text : label.text().split('\n')) {
        if (!label.wordWrap() && label.fontMetrics().horizontalAdvance(text) > label.contentsRect().width())
            return true;
        QTextLayout layout(text, label.font());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label.contentsRect().width());
            qsizetype from = line.textStart() + line.textLength(), to = from;
            while (from > 0 && inRun(text[from - 1]))
                --from;
            while (to < text.size() && inRun(text[to]))
                ++to;
            if (from < line.textStart() + line.textLength() && to > line.textStart() + line.textLength() &&
                text.mid(from, to - from).contains('/'))
                return true;
        }
        layout.endLayout();
    }
    return false;
}

// Reads until the text matches `wanted`, or 3 s went by.
std::string CollectUntil(PseudoTerminal& pty, const QString& wanted)
{
    std::string data;
    QElapsedTimer clock;
    clock.start();
    while (!QRegularExpression(wanted).match(QString::fromStdString(data)).hasMatch() && clock.elapsed() < 3000) {
        QTest::qWait(2);
        data += pty.readAvailable(0ms);
    }
    return data;
}

// "name=value name" into the dialog's fields: a list's index, a field's
// text, a button checked.
void Fill(ReceiverDialog& dialog, const QString& fields)
{
    for (const QString& field : fields.split(' ', Qt::SkipEmptyParts)) {
        const QString name = field.section('=', 0, 0), value = field.section('=', 1);
        QWidget* widget = dialog.findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        if (auto* list = qobject_cast<QComboBox*>(widget))
            list->setCurrentIndex(value.toInt());
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setText(value);
        else
            qobject_cast<QAbstractButton*>(widget)->setChecked(value != "0");
    }
}

// The satellites in view and used by the last whole tick, as its GSV and GSA say.
QString CountsSent(const std::string& data)
{
    const QStringList lines = QString::fromStdString(data).split("\r\n");
    QString inView, used;
    for (const QString& line : lines) {
        const QStringList f = line.split(',');
        if (line.contains("GSV,") && f.size() > 3)
            inView = f[3];
        if (line.contains("GSA,") && f.size() > 15)
            used = QString::number(f.mid(3, 12).size() - f.mid(3, 12).count(QString()));
    }
    return QString("GPS %1/%2").arg(inView.toInt()).arg(used);
}

std::vector<PortDescription> FakePorts()
{
    return {{"/dev/ttyS0", "", "", "", ""}, {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K", ""}};
}

}  // namespace

class frmMainTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QSettings().clear(); }  // each test starts from the original receiver
    void runScenario();
    void receiverSettings();
    void gestures();
    void failures();
    void servesTcp();
    void lostPortClosesTheLink();
};

// The settings the windows keep go to a file of the test's own.
void frmMainTest::initTestCase()
{
    static QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName("QuilvexTest");
    QCoreApplication::setApplicationName("frmMainTest");
}

// Each setting of the dialog is applied at the next Start, kept for a new
// window, or refused in Japanese with nothing sent; the sky view shows the
// last tick sent. ROUTE is a route file, LOG a recorded trip, MISSING a path to nothing.
void frmMainTest::receiverSettings()
{
    NEEDS_PSEUDO_TERMINAL();
    // One later epoch of a second at 5 Hz, the fix sentences alone; "~" makes a `sent` a pattern.
    const QString epoch = R"((?:\$GPGGA,\d{6}\.%1,.*\n(?:\$GP(?:GLL|VTG|RMC|GSA),.*\n){4})?)";
    const struct {
        const char* what;
        QString fields;
        bool newWindow;        // Start in a window made after the dialog closed
        const char* refusal;   // in the dialog, which stays open
        const char* atStart;   // a message at Start, with nothing sent
        QStringList sent;      // each on the port
        const char* sky;       // the sky view's first line
        const char* bps = "115200";  // a whole five-system tick each second
    } rows[] = {
        {"standard GN at a place", "cmbFormat=1 cmbTalker=1 optPlace txtLat=35.6812 txtLon=139.7671 txtAlt=40", true, "",
         "", {"$GNGGA,", ",3540.87200,N,13946.02600,E,1,", ",40.0,M,", "$GPGSV,"}, "測位中"},
        {"4.11, five systems", "cmbFormat=3 chkGlonass chkGalileo chkBeiDou chkQzss", false, "", "",
         {"$GNGGA,", "$GPGSV,", "$GLGSV,", "$GAGSV,", "$GBGSV,", "$GQGSV,"}, "測位中"},
        {"5 Hz, ZDA and the sky with each second's first", "cmbFormat=1 cmbHz=3", false, "", "",
         {R"(~^\$GPZDA,\d{6}\.00,.*\n\$GPGGA,\d{6}\.00,.*\n(?:\$GP(?:GLL|VTG|RMC|GSA),.*\n){4}(?:\$GPGSV,.*\n)+(?=\$GPGGA))" +
          epoch.arg(20) + epoch.arg(40) + epoch.arg(60) + epoch.arg(80) + R"(\$GPZDA,)"}, nullptr},
        {"2.3 beyond GPS", "cmbFormat=1 chkGlonass", false,
         "NMEA 2.3 では衛星がどのシステムのものかを示せません。GPS 以外も送るには 4.10 か 4.11 を選んでください。", "",
         {"$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C"}, nullptr},
        {"classic, 12 kn east", "optSteady txtSpeed=12 txtCourse=90", false, "", "",
         {"$GPVTG,90.0,T,90.0,M,12.0,N,22.2,K,A*22"}, "従来の形式は衛星の情報（GSV）を送りません。"},
        {"a recorded trip", "optReplay txtReplay=LOG txtPace=1", false, "", "", {",3540.872000,N,13946.026000,E,"}, nullptr},
        {"speed out of range", "optSteady txtSpeed=1001", false,
         "「1001」は使えません。速度は 0 から 1000 までのノットで入れてください（例: 12.5）。", "",
         {",3541.221600,N,13941.301400,E,", "$GPVTG,0,T,0,M,0,N,0,K,A*23"}, nullptr},
        {"route file missing", "optRoute txtSpeed=12 txtRoute=MISSING", false,
         "経路ファイル「MISSING」を使えません。ファイルまたはデバイスがありません。", "", {"$GPGSA,A,3,"}, nullptr},
        {"route file gone at Start", "optRoute txtSpeed=12 txtRoute=ROUTE", false, "",
         "経路ファイル「ROUTE」を使えません。ファイルまたはデバイスがありません。", {}, nullptr},
        // By hand: a tick of 635 bytes, then four of 635 - 38 (ZDA) - 4 * 70 (GSV) = 317; 4800 bit/s
        // carries 432 in 90 % of a second, not even one tick (1 Hz takes the sky in turn); 1903 * 100 / 9 up.
        {"5 Hz on a 4800 bps line", "cmbFormat=1 cmbHz=3", false, "",
         "更新レート 5 Hz は 4800 bps では送れません。5 Hz の標準の文は 1 秒に最大 1903 バイトで、4800 bps で 1 秒の "
         "90 % に送れる量を超えます。4800 bps で送れるのは 1 Hz まで、5 Hz には 21145 bps 以上が要ります。",
         {}, nullptr, "4800"},
    };
    for (const auto& row : rows) {
        init();
        QTemporaryDir dir;
        const QString route = dir.filePath("route.txt"), log = dir.filePath("trip.nmea"), missing = dir.filePath("missing.gpx");
        QFile file(route), trip(log);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("35.6812,139.7671\n35.6586,139.7454\n") > 0);
        QVERIFY(trip.open(QIODevice::WriteOnly) &&
                trip.write("$GPRMC,010203.00,A,3540.8720,N,13946.0260,E,0.0,0.0,071226,,,A*5C\r\n"
                           "$GPRMC,010204.00,A,3540.8720,N,13946.0260,E,0.0,0.0,071226,,,A*5B\r\n"
                           "$GPRMC,010205.00,A,3540.8720,N,13946.0260,E,0.0,0.0,071226,,,A*5A\r\n") > 0);
        file.close();
        trip.close();
        const auto placed = [&](QString text) {
            return text.replace("MISSING", missing).replace("ROUTE", route).replace("LOG", log);
        };
        auto first = std::make_unique<frmMain>(FakePorts);
        first->findChild<QAction*>("mnuSettings")->trigger();
        auto* dialog = first->findChild<ReceiverDialog*>();
        Fill(*dialog, placed(row.fields));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog->isVisible(), *row.refusal != 0);
        QCOMPARE(dialog->findChild<QLabel*>("lblRefusal")->text(), placed(row.refusal));
        if (*row.refusal)
            dialog->reject();
        if (row.newWindow)
            first = std::make_unique<frmMain>(FakePorts);
        frmMain& w = *first;
        w.show();
        if (row.sky)
            w.findChild<QAction*>("mnuSky")->trigger();
        if (*row.atStart)
            QFile::remove(route);
        PseudoTerminal pty;
        StartOn(w, QString::fromStdString(pty.slavePath()), row.bps);
        if (*row.atStart) {
            QVERIFY(IsStopped(w));
            QTRY_COMPARE(w.findChildren<QMessageBox*>().size(), 1);
            QCOMPARE(w.findChild<QMessageBox*>()->text(), placed(row.atStart));
            QCOMPARE(Collect(pty, 1200ms), std::string());
            continue;
        }
        const std::string data = CollectUntil(pty, "\\n\\$G.ZDA,");  // a whole tick and the next one's start
        for (const QString& wanted : row.sent)
            QVERIFY2(wanted.startsWith('~') ? QRegularExpression(wanted.mid(1)).match(QString::fromStdString(data)).hasMatch()
                                            : data.find(wanted.toStdString()) != std::string::npos,
                     qPrintable(row.what + QString("\n") + data.c_str()));
        if (!row.sky)
            continue;
        auto* sky = w.findChild<SkyView*>();
        QVERIFY2(sky->summary().startsWith(row.sky), qPrintable(sky->summary()));
        if (QString(row.sky) != "測位中")
            continue;
        if (data.find("$GLGSV") != std::string::npos) {  // every system named in the view
            for (const char* system : {"GPS ", "GLONASS ", "Galileo ", "BeiDou ", "みちびき "})
                QVERIFY2(sky->summary().contains(system), qPrintable(sky->summary()));
            continue;
        }
        QVERIFY2(sky->summary().contains(CountsSent(data)), qPrintable(sky->summary() + "\n" + data.c_str()));
        // The tick that first goes without a fix is the one the view shows.
        w.findChild<QAction*>("mnuFixOff")->trigger();
        const std::string lost = CollectUntil(pty, ",,,,,0,00,99\\.99,");
        const QString counts = CountsSent(data).section('/', 0, 0) + "/0";
        QVERIFY2(sky->summary().startsWith("測位なし") && sky->summary().contains(counts), qPrintable(sky->summary()));
    }
}

// Start with the defaults on a typed port: ticks at each whole second, the
// position of the default prefecture, a new one from the next tick, Stop.
void frmMainTest::runScenario()
{
    NEEDS_PSEUDO_TERMINAL();
    PseudoTerminal pty;
    frmMain w(FakePorts);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(Text(w, "cmbCOM") + Text(w, "cmbBPS") + Text(w, "cmbPref"), QString("COM14800東京都"));
    QVERIFY(IsStopped(w));
    StartOn(w, QString::fromStdString(pty.slavePath()));
    QVERIFY(IsRunning(w));
    QCOMPARE(w.windowTitle(), QString("Quilvex — 送信中: %1 4800 bps").arg(QString::fromStdString(pty.slavePath())));
    QCOMPARE("Quilvex — " + Text(w, "lblStatus"), w.windowTitle());  // readable where a window manager cuts the title
    QCOMPARE(LineSpeed(pty), speed_t(B4800));
    QCOMPARE(QApplication::focusWidget(), Find(w, "cmdStop"));

    const QStringList lines = QString::fromStdString(Collect(pty, 20s, 3)).split("\r\n", Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == 18, qPrintable(lines.join('\n')));
    const QStringList kinds = {"$GPZDA,", "$GPGGA,", "$GPGLL,", "$GPVTG,", "$GPRMC,", "$GPGSA,"};
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(kinds[i % 6]), qPrintable(lines[i]));
    // On the whole second is TickSchedule's (core test); how late a tick goes, the timing bench's.
    QVERIFY(lines[1].contains(",3541.221600,N,13941.301400,E,"));
    QCOMPARE(Text(w, "Label3") + Text(w, "Label4"), QString("35度41分13秒139度41分18秒"));

    // A text that names no prefecture is told at once but counts only once
    // confirmed: then no fix and no coordinates, the clock going on, until
    // the text names one, in any of the ways --pref takes.
    auto* pref = Find<QComboBox>(w, "cmbPref");
    TypeInto(pref, "東京x");
    QVERIFY2(Text(w, "lblStatus").startsWith("「東京x」に合う都道府県はありません。"), qPrintable(Text(w, "lblStatus")));
    QVERIFY(QString::fromStdString(Collect(pty, 1100ms)).contains(",3541.221600,N,13941.301400,E,"));
    QTest::keyClick(pref, Qt::Key_Return);
    const QStringList unknown = QString::fromStdString(Collect(pty, 1100ms)).split("\r\n");
    QVERIFY2(unknown.size() >= 6 && unknown[0].startsWith("$GPZDA,") && unknown[1].contains(",,,,,0,00,99.99,"),
             qPrintable(unknown.join('\n')));
    QVERIFY(w.windowTitle().endsWith("、位置不明") && Text(w, "Label3") == "位置不明" && Text(w, "Label4") == "位置不明");
    TypeInto(pref, "tOKYO");
    QTest::keyClick(pref, Qt::Key_Return);
    QVERIFY(QString::fromStdString(Collect(pty, 1100ms)).contains(",3541.221600,N,13941.301400,E,"));
    QVERIFY(!w.windowTitle().contains("位置不明") && Text(w, "Label3") == "35度41分13秒");
    TypeInto(pref, "47");
    QTest::keyClick(pref, Qt::Key_Tab);  // leaving the field confirms it too
    QVERIFY(IsRunning(w));
    const std::string next = Collect(pty, 10s, 1);
    QVERIFY2(QString::fromStdString(next).contains(",2612.446300,N,12740.511400,E,"), next.c_str());
    QCOMPARE(Text(w, "Label4"), QString("127度40分30秒"));

    // The context menu's item takes the fix away from the next tick on, and
    // ToggleFix (SIGUSR1) gives it back; the clock goes on meanwhile.
    auto* fixOff = w.findChild<QAction*>("mnuFixOff");
    QVERIFY(w.contextMenuPolicy() == Qt::ActionsContextMenu && w.actions().contains(fixOff));
    fixOff->trigger();
    QVERIFY(w.windowTitle().endsWith("、測位なし") && Text(w, "Label3") == "測位なし");
    const QStringList lost = QString::fromStdString(Collect(pty, 1100ms)).split("\r\n");
    QVERIFY2(lost.size() >= 6 && lost[0].startsWith("$GPZDA,") && QRegularExpression(
        "^\\$GPGGA,\\d{6}\\.\\d\\d,,,,,0,00,99\\.99,,M,,M,,\\*[0-9A-F]{2}$").match(lost[1]).hasMatch(), qPrintable(lost.join('\n')));
    w.ToggleFix();
    QVERIFY(!fixOff->isChecked() && !w.windowTitle().contains("測位なし"));
    QVERIFY(QString::fromStdString(Collect(pty, 10s, 1)).contains(",2612.446300,N,12740.511400,E,"));

    QTest::keyClick(Find(w, "cmdStop"), Qt::Key_Space);
    QVERIFY(IsStopped(w));
    QCOMPARE(Collect(pty, 1200ms), std::string());
    QCOMPARE(Text(w, "Label4"), QString("127度40分30秒"));  // the last position stays
}

// Each way of picking from a list stops; typing never does, and never
// changes the list or the text.
void frmMainTest::gestures()
{
    NEEDS_PSEUDO_TERMINAL();
    const struct {
        const char *list, *gesture, *typed;
        bool stops;
        const char* text;  // the list's text afterwards
    } rows[] = {
        {"cmbBPS", "arrow key", "", true, "9600"},
        {"cmbBPS", "wheel", "", true, "9600"},
        {"cmbBPS", "opened list, keys", "", true, "9600"},
        {"cmbBPS", "opened list, mouse", "", true, "9600"},
        {"cmbCOM", "opened list, appended port", "", true, "/dev/ttyUSB0"},
        {"cmbBPS", "Enter", "9600", false, "9600"},
        {"cmbBPS", "Tab", "19200", false, "19200"},
        {"cmbCOM", "Enter", "com3", false, "com3"},
        {"cmbCOM", "Tab", "com3", false, "com3"},
        {"cmbPref", "Enter", "北海道", false, "北海道"},
    };
    for (const auto& row : rows) {
        const QString gesture = row.gesture;
        PseudoTerminal pty;
        frmMain w(FakePorts);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        StartOn(w, QString::fromStdString(pty.slavePath()));
        auto* box = Find<QComboBox>(w, row.list);
        box->setFocus();
        const int count = box->count();
        if (*row.typed) {
            TypeInto(box, row.typed);
            QTest::keyClick(box, Qt::Key_Home);
            QTest::keyClick(box, gesture == "Enter" ? Qt::Key_Return : Qt::Key_Tab);
            QCOMPARE(box->count(), count);
            // Where the box cuts a long text, the end shows once it is left.
            QCOMPARE(box->lineEdit()->cursorPosition(), gesture == "Tab" ? box->currentText().size() : 0);
        } else if (gesture == "arrow key") {
            QTest::keyClick(box, Qt::Key_Down);
        } else if (gesture == "wheel") {
            QWheelEvent wheel({5, 5}, box->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &wheel);
        } else {
            box->showPopup();
            QAbstractItemView* view = box->view();
            QVERIFY(QTest::qWaitForWindowExposed(view->window()));
            const QModelIndex item = box->model()->index(gesture.endsWith("port") ? box->count() - 1 : 2, 0);
            QCOMPARE(box->itemData(15, Qt::ToolTipRole).toString(), gesture.endsWith("port") ? "FT232R USB UART" : "");
            view->setCurrentIndex(item);
            if (gesture.endsWith("mouse"))
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
            else
                QTest::keyClick(view, Qt::Key_Return);
        }
        QTest::qWait(50);
        QVERIFY2(IsStopped(w) == row.stops, row.gesture);
        QCOMPARE(box->currentText(), QString(row.text));
        if (row.stops && QString(row.list) == "cmbBPS") {  // the next Start takes the picked rate
            QTest::mouseClick(Find<QPushButton>(w, "cmdStart"), Qt::LeftButton);
            QCOMPARE(LineSpeed(pty), speed_t(B9600));
        }
    }
}

// Every failed Start and a lost port end Stopped with one message that
// names the port and says why, in Japanese. FILE is a plain file, HELD
// another name of a port held open, BUSY a TCP port in use, LOST a port that
// goes away while sending.
void frmMainTest::failures()
{
    const struct {
        QString port;
        const char *rate, *says;
    } rows[] = {
        {"COM", "4800", "ポート番号がありません"},
        {"ACM1", "4800", "/dev/ttyACM1"},
        {"USB-FT232R-A10K-if00", "4800", "/dev/ttyUSB-FT232R-A10K-if00"},
        {"/dev/quilvex-missing", "4800", "ありません。\nこのシステムのシリアルポート：/dev/ttyS0、/dev/ttyUSB0"},
        {"COM99", "4800", "そのデバイスはありません。"},
        {"FILE", "4800", "端末デバイス"},
        {"PTY", "fast", "通信設定「fast,n,8,1」"},
        {"HELD", "4800", "他のプログラムが使用中です。"},
        {"tcp://:BUSY", "4800", "他のプログラムがそこで待ち受けています"},
        {"tcp://nosuch.invalid:10110", "4800", "のホスト名が見つかりません"},
        {"LOST", "4800", "送信中に"},
    };
    for (const auto& row : rows) {
#ifdef _WIN32
        if (QString(row.says).contains("/dev/") || row.port.startsWith("/dev/") ||
            QStringList{"FILE", "PTY", "HELD", "LOST"}.contains(row.port)) {
            qInfo("skipped on Windows: %s needs a pseudo-terminal or a Linux device path", qPrintable(row.port));
            continue;
        }
#endif
        QTemporaryDir dir;
        auto pty = std::make_unique<PseudoTerminal>();
        const QString slave = QString::fromStdString(pty->slavePath());
        SerialOutput holder;
        holder.setPort(slave);
        holder.setSettings("4800,n,8,1");
        QTcpServer busy;
        QVERIFY(busy.listen(QHostAddress::LocalHost));
        QString port = row.port;
        port.replace("FILE", dir.filePath("plain")).replace("HELD", dir.filePath("other-name")).replace("PTY", slave);
        port.replace("LOST", slave).replace("BUSY", QString::number(busy.serverPort()));
        QFile file(dir.filePath("plain"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("unchanged") == 9);
        QVERIFY((slave.isEmpty() || QFile::link(slave, dir.filePath("other-name"))) && (row.port != "HELD" || !holder.open()));
        frmMain w(FakePorts);
        w.show();
        StartOn(w, port, row.rate);
        if (row.port == "LOST") {
            QVERIFY(Collect(*pty, 10s, 1).size() >= 307);
            pty.reset();
        }
        QTRY_VERIFY_WITH_TIMEOUT(IsStopped(w), 15000);
        QTest::qWait(200);
        const QList<QMessageBox*> boxes = w.findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        const QString text = boxes[0]->text();
        QVERIFY2(text.contains(row.says) && text.contains(port) && !text.contains("No such file"), qPrintable(text));
        QVERIFY2(!BadlyLaidOut(*boxes[0]->findChild<QLabel*>("qt_msgbox_label")), qPrintable(text));
        QVERIFY(!pty || pty->readAvailable(0ms).empty());
    }
}

// With the default host, and with a host name looked up while the window
// goes on; the title names the address served.
void frmMainTest::servesTcp()
{
    for (const char* text : {"tcp://:%1", "tcp://localhost:%1"}) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        frmMain w(FakePorts);
        w.show();
        StartOn(w, QString(text).arg(port));
        QVERIFY(IsRunning(w) && !Find(w, "cmbBPS")->isEnabled());  // no line rate to choose
        QTcpSocket client;
        QTRY_VERIFY_WITH_TIMEOUT((client.connectToHost(QHostAddress::LocalHost, port), client.waitForConnected(100)), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(client.bytesAvailable() >= 307, 15000);
        QVERIFY(client.readAll().startsWith("$GPZDA,"));
        QCOMPARE(w.windowTitle(), QString("Quilvex — 送信中: tcp 127.0.0.1:%1（接続 1）").arg(port));
        QTest::mouseClick(Find<QPushButton>(w, "cmdStop"), Qt::LeftButton);
        QVERIFY(IsStopped(w));
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QTcpSocket late;
        late.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!late.waitForConnected(500));
        Find<QComboBox>(w, "cmbCOM")->setEditText("COM1");
        QVERIFY(Find(w, "cmbBPS")->isEnabled());
    }
}

// The link closes itself before it tells, and tells once.
void frmMainTest::lostPortClosesTheLink()
{
    NEEDS_PSEUDO_TERMINAL();
    auto pty = std::make_unique<PseudoTerminal>();
    SerialOutput link;
    link.setPort(QString::fromStdString(pty->slavePath()));
    link.setSettings("4800,n,8,1");
    QVERIFY(!link.open());
    int failures = 0;
    connect(&link, &TickOutput::failed, [&] { failures += link.isOpen() ? 100 : 1; });
    pty.reset();
    QTRY_VERIFY_WITH_TIMEOUT(failures > 0, 15000);
    QTest::qWait(300);
    QCOMPARE(failures, 1);
}

QTEST_MAIN(frmMainTest)
#include "frmMainTest.moc"
