#include "PseudoTerminal.hpp"
#include "frmMain.hpp"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <termios.h>

using namespace quilvex;
using namespace std::chrono_literals;

namespace {

// Lines of the sentences received, without CR LF.
QStringList Lines(const std::string& received)
{
    QStringList lines = QString::fromStdString(received).split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool IsStopped(const frmMain& w)
{
    return w.cmdStart->isEnabled() && !w.cmdStop->isEnabled() && !w.Timer1.isActive() &&
           !w.MSComm1.isOpen();
}

bool IsRunning(const frmMain& w)
{
    return !w.cmdStart->isEnabled() && w.cmdStop->isEnabled() && w.Timer1.isActive() &&
           w.MSComm1.isOpen();
}

QList<QMessageBox*> Boxes(const frmMain& w)
{
    return w.findChildren<QMessageBox*>();
}

void TypeInto(QComboBox* list, const QString& text)
{
    list->setFocus();
    list->lineEdit()->selectAll();
    QTest::keyClick(list, Qt::Key_Backspace);
    for (const QChar c : text) {
        // keyClicks() takes Latin-1 only; Japanese arrives as committed text.
        if (c.unicode() < 0x80)
            QTest::keyClick(list, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, list, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Reads for a while, letting the window's event loop run meanwhile.
std::string Collect(PseudoTerminal& pty, std::chrono::milliseconds span)
{
    std::string data;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < span.count()) {
        QTest::qWait(20);
        data += pty.readAvailable(0ms);
    }
    return data;
}

// Start on the pty, as an operator who typed its path into the port list.
void StartOn(frmMain& w, const PseudoTerminal& pty)
{
    w.cmbCOM->setEditText(QString::fromStdString(pty.slavePath()));
    w.cmdStart_Click();
}

speed_t LineSpeed(const PseudoTerminal& pty)
{
    termios t{};
    tcgetattr(pty.slaveFd(), &t);
    return cfgetospeed(&t);
}

}  // namespace

class frmMainTest : public QObject {
    Q_OBJECT

private slots:
    void startsInTheDesignState();
    void layoutFollowsTheTwipTable();
    void displayTexts_data();
    void displayTexts();
    void startSendsATickEachSecondAndStopEndsIt();
    void prefectureChangeTakesEffectAtTheNextTick();
    void pickingARateStopsAndTheNextStartUsesIt_data();
    void pickingARateStopsAndTheNextStartUsesIt();
    void typingIsNoPick_data();
    void typingIsNoPick();
    void typedTextsAreUsedAtTheNextStart();
    void failedStartReturnsToStopped_data();
    void failedStartReturnsToStopped();
    void lostPortReturnsToStoppedWithOneMessage();
    void closingTheWindowClosesThePort();
};

void frmMainTest::startsInTheDesignState()
{
    frmMain w;
    QCOMPARE(w.windowTitle(), QString("Quilvex"));
    QCOMPARE(w.cmbCOM->currentText(), QString("COM1"));
    QCOMPARE(w.cmbBPS->currentText(), QString("4800"));
    QCOMPARE(w.cmbPref->currentText(), QString("東京都"));
    QVERIFY(IsStopped(w));
    QCOMPARE(w.Label3->text(), QString());
    QCOMPARE(w.Label4->text(), QString());
    QCOMPARE(w.Timer1.interval(), 1000);
    QCOMPARE(w.Timer1.timerType(), Qt::PreciseTimer);

    QCOMPARE(w.cmbCOM->count(), 15);
    QCOMPARE(w.cmbCOM->itemText(0), QString("COM1"));
    QCOMPARE(w.cmbCOM->itemText(14), QString("COM15"));
    QStringList rates;
    for (int i = 0; i < w.cmbBPS->count(); ++i)
        rates << w.cmbBPS->itemText(i);
    QCOMPARE(rates, QStringList({"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"}));
    QCOMPARE(w.cmbPref->count(), 47);
    QCOMPARE(w.cmbPref->itemText(0), QString("北海道"));
    QCOMPARE(w.cmbPref->itemText(12), QString("東京都"));
    QCOMPARE(w.cmbPref->itemText(46), QString("沖縄県"));

    const QStringList captions = {w.Label1->text(), w.Label2->text(), w.Label5->text(),
                                  w.Label6->text(), w.Label7->text(), w.Label8->text(),
                                  w.cmdStart->text(), w.cmdStop->text()};
    QCOMPARE(captions, QStringList({"北緯", "東経", "COMポート", "速度", "位置", "bps", "Start", "Stop"}));
    for (QComboBox* list : {w.cmbCOM, w.cmbBPS, w.cmbPref}) {
        QVERIFY(list->isEditable());
        QCOMPARE(list->insertPolicy(), QComboBox::NoInsert);
        QVERIFY(list->completer() == nullptr);
    }
}

void frmMainTest::layoutFollowsTheTwipTable()
{
    frmMain w;
    QCOMPARE(w.size(), QSize(291, 164));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    const struct {
        const char* name;
        QRect rect;
    } expected[] = {
        {"cmbPref", {80, 56, 193, 20}}, {"cmbBPS", {80, 32, 81, 20}},
        {"cmbCOM", {80, 8, 81, 20}},    {"cmdStart", {16, 128, 121, 17}},
        {"cmdStop", {144, 128, 121, 17}}, {"Label3", {128, 80, 137, 17}},
        {"Label5", {8, 11, 65, 17}},    {"Label8", {168, 35, 33, 17}},
    };
    for (const auto& e : expected) {
        auto* widget = w.findChild<QWidget*>(e.name);
        QVERIFY2(widget, e.name);
        QCOMPARE(widget->geometry(), e.rect);
    }
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.cmbPref->setFocus();
    const QList<QWidget*> order = {w.cmbBPS, w.cmbCOM, w.cmdStart};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void frmMainTest::displayTexts_data()
{
    QTest::addColumn<QString>("pref");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::newRow("slot 1") << "北海道" << "43度03分30秒" << "141度20分30秒";
    QTest::newRow("slot 7") << "福島県" << "37度45分00秒" << "140度28分01秒";
    QTest::newRow("slot 13") << "東京都" << "35度41分13秒" << "139度41分18秒";
    QTest::newRow("slot 23") << "愛知県" << "35度10分29秒" << "136度54分14秒";
    QTest::newRow("unknown") << "東京" << "度分秒" << "度分秒";
    QTest::newRow("empty") << "" << "度分秒" << "度分秒";
}

void frmMainTest::displayTexts()
{
    QFETCH(QString, pref);
    frmMain w;
    w.cmbPref->setEditText(pref);
    w.Timer1_Timer();  // with the link closed nothing is sent
    QTEST(w.Label3->text(), "lat");
    QTEST(w.Label4->text(), "lon");
}

void frmMainTest::startSendsATickEachSecondAndStopEndsIt()
{
    PseudoTerminal pty;
    frmMain w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    TypeInto(w.cmbCOM, QString::fromStdString(pty.slavePath()));
    QVERIFY(IsStopped(w));
    QTest::mouseClick(w.cmdStart, Qt::LeftButton);
    QVERIFY(IsRunning(w));
    QCOMPARE(pty.readAvailable(0ms), std::string());  // nothing at the moment of Start
    QCOMPARE(QApplication::focusWidget(), w.cmdStop);  // Space stops again

    const QStringList lines = Lines(Collect(pty, 3300ms));
    QCOMPARE(lines.size(), 18);
    const QStringList kinds = {"$GPZDA,", "$GPGGA,", "$GPGLL,", "$GPVTG,", "$GPRMC,", "$GPGSA,"};
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(kinds[i % 6]), qPrintable(lines[i]));
    QVERIFY(lines[1].contains(",3541.221600,N,13941.301400,E,"));
    QCOMPARE(w.Label3->text(), QString("35度41分13秒"));
    QCOMPARE(LineSpeed(pty), speed_t(B4800));

    QTest::keyClick(w.cmdStop, Qt::Key_Space);
    QVERIFY(IsStopped(w));
    QCOMPARE(QApplication::focusWidget(), w.cmdStart);
    QCOMPARE(Collect(pty, 1300ms), std::string());
    QCOMPARE(w.Label3->text(), QString("35度41分13秒"));  // the last position stays shown
    QVERIFY(Boxes(w).isEmpty());
}

void frmMainTest::prefectureChangeTakesEffectAtTheNextTick()
{
    PseudoTerminal pty;
    frmMain w;
    StartOn(w, pty);
    QVERIFY(IsRunning(w));
    w.Timer1_Timer();
    QVERIFY(Lines(Collect(pty, 100ms)).value(1).contains(",3541.221600,N,"));

    TypeInto(w.cmbPref, "沖縄県");
    QVERIFY(IsRunning(w));
    w.Timer1_Timer();
    const QStringList lines = Lines(Collect(pty, 100ms));
    QVERIFY(lines.value(1).contains(",2612.446300,N,12740.511400,E,"));
    QCOMPARE(w.Label4->text(), QString("127度40分30秒"));

    TypeInto(w.cmbPref, "沖縄");  // names nothing: empty positions, still running
    w.Timer1_Timer();
    QVERIFY(Lines(Collect(pty, 100ms)).value(1).startsWith("$GPGGA,") );
    QCOMPARE(w.Label3->text(), QString("度分秒"));
    QVERIFY(IsRunning(w));
}

void frmMainTest::pickingARateStopsAndTheNextStartUsesIt_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("arrow key on the closed box") << "arrow";
    QTest::newRow("keyboard in the opened list") << "popup-keys";
    QTest::newRow("mouse in the opened list") << "popup-mouse";
}

void frmMainTest::pickingARateStopsAndTheNextStartUsesIt()
{
    QFETCH(QString, how);
    PseudoTerminal pty;
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    StartOn(w, pty);
    QVERIFY(IsRunning(w));

    // 4800 is selected; the next item down is 9600.
    w.cmbBPS->setFocus();
    if (how == "arrow") {
        QTest::keyClick(w.cmbBPS, Qt::Key_Down);
    } else {
        w.cmbBPS->showPopup();
        QAbstractItemView* view = w.cmbBPS->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QModelIndex item = w.cmbBPS->model()->index(2, 0);
        if (how == "popup-keys") {
            view->setCurrentIndex(item);
            QTest::keyClick(view, Qt::Key_Return);
        } else {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
        }
    }
    QTRY_VERIFY(IsStopped(w));
    QCOMPARE(w.cmbBPS->currentText(), QString("9600"));

    w.cmdStart_Click();
    QVERIFY(IsRunning(w));
    QCOMPARE(LineSpeed(pty), speed_t(B9600));
    QVERIFY(Boxes(w).isEmpty());
}

void frmMainTest::typingIsNoPick_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("finish");
    QTest::newRow("port + Enter") << "cmbCOM" << "COM3" << int(Qt::Key_Return);
    QTest::newRow("port + Tab") << "cmbCOM" << "COM3" << int(Qt::Key_Tab);
    QTest::newRow("port in other case + Tab") << "cmbCOM" << "com3" << int(Qt::Key_Tab);
    QTest::newRow("port in other case + Enter") << "cmbCOM" << "com3" << int(Qt::Key_Return);
    QTest::newRow("rate + Enter") << "cmbBPS" << "9600" << int(Qt::Key_Return);
    QTest::newRow("rate + Tab") << "cmbBPS" << "19200" << int(Qt::Key_Tab);
    QTest::newRow("odd rate + Enter") << "cmbBPS" << "1234" << int(Qt::Key_Return);
    QTest::newRow("prefecture + Enter") << "cmbPref" << "北海道" << int(Qt::Key_Return);
}

void frmMainTest::typingIsNoPick()
{
    QFETCH(QString, list);
    QFETCH(QString, text);
    QFETCH(int, finish);
    PseudoTerminal pty;
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    StartOn(w, pty);
    QVERIFY(IsRunning(w));

    auto* box = w.findChild<QComboBox*>(list);
    const int countBefore = box->count();
    TypeInto(box, text);
    QTest::keyClick(box, Qt::Key(finish));
    QTest::qWait(50);
    QVERIFY(IsRunning(w));
    QCOMPARE(box->currentText(), text);  // never rewritten
    QCOMPARE(box->count(), countBefore);  // never inserted
}

void frmMainTest::typedTextsAreUsedAtTheNextStart()
{
    PseudoTerminal pty;
    frmMain w;
    w.show();
    TypeInto(w.cmbCOM, QString::fromStdString(pty.slavePath()));
    QTest::keyClick(w.cmbCOM, Qt::Key_Return);
    TypeInto(w.cmbBPS, "115200");
    QTest::keyClick(w.cmbBPS, Qt::Key_Return);
    QVERIFY(IsStopped(w));
    QTest::mouseClick(w.cmdStart, Qt::LeftButton);
    QVERIFY(IsRunning(w));
    QCOMPARE(LineSpeed(pty), speed_t(B115200));
}

void frmMainTest::failedStartReturnsToStopped_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("says");
    QTest::newRow("no port number") << "COM" << "4800" << "ポート「COM」を開けません";
    QTest::newRow("missing device") << "/dev/quilvex-missing" << "4800" << "そのデバイスはありません";
    QTest::newRow("regular file") << "FILE" << "4800" << "端末デバイス";
    QTest::newRow("bad rate") << "PTY" << "fast" << "通信設定「fast,n,8,1」";
    QTest::newRow("in use") << "BUSY" << "4800" << "他のプログラムが使用中です";
}

void frmMainTest::failedStartReturnsToStopped()
{
    QFETCH(QString, port);
    QFETCH(QString, rate);
    QFETCH(QString, says);
    QTemporaryDir dir;
    PseudoTerminal pty;
    SerialLink holder;
    if (port == "FILE") {
        port = dir.filePath("plain");
        QFile file(port);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("unchanged");
    } else if (port == "PTY" || port == "BUSY") {
        port = QString::fromStdString(pty.slavePath());
        if (port == QString::fromStdString(pty.slavePath()) && QTest::currentDataTag() == QString("in use")) {
            holder.setPort(port);
            holder.setSettings("4800,n,8,1");
            QVERIFY(!holder.open());
        }
    }
    frmMain w;
    w.show();
    w.cmbCOM->setEditText(port);
    w.cmbBPS->setEditText(rate);
    QTest::mouseClick(w.cmdStart, Qt::LeftButton);
    QVERIFY(IsStopped(w));
    const QList<QMessageBox*> boxes = Boxes(w);
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0]->text().contains(says), qPrintable(boxes[0]->text()));
    QVERIFY(boxes[0]->text().contains(port));
    QVERIFY(!boxes[0]->text().contains("Unknown error"));
    QVERIFY(boxes[0]->isVisible());  // shown without holding up the event loop
    QCOMPARE(Collect(pty, 200ms), std::string());
    if (QTest::currentDataTag() == QString("regular file")) {
        QFile file(port);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("unchanged"));
    }
}

void frmMainTest::lostPortReturnsToStoppedWithOneMessage()
{
    auto pty = std::make_unique<PseudoTerminal>();
    frmMain w;
    w.show();
    StartOn(w, *pty);
    w.Timer1_Timer();
    QCOMPARE(pty->readExactly(307, 2s, [] { QTest::qWait(5); }).size(), std::size_t(307));
    pty.reset();
    QTRY_VERIFY_WITH_TIMEOUT(IsStopped(w), 3000);
    QTest::qWait(300);
    QCOMPARE(Boxes(w).size(), 1);
    QVERIFY2(Boxes(w)[0]->text().contains("送信中に"), qPrintable(Boxes(w)[0]->text()));
    QCOMPARE(w.Label3->text(), QString("35度41分13秒"));
}

void frmMainTest::closingTheWindowClosesThePort()
{
    PseudoTerminal pty;
    {
        frmMain w;
        w.show();
        StartOn(w, pty);
        QVERIFY(IsRunning(w));
        w.close();
    }
    SerialLink next;  // the port is free again: no lock, no exclusive hold
    next.setPort(QString::fromStdString(pty.slavePath()));
    next.setSettings("4800,n,8,1");
    QVERIFY(!next.open());
}

QTEST_MAIN(frmMainTest)
#include "frmMainTest.moc"
