#include "frmMain.hpp"

#include "CoordinateDisplay.hpp"
#include "FormLayout.hpp"
#include "NetworkAddress.hpp"
#include "PickComboBox.hpp"
#include "PortListing.hpp"
#include "PortOutput.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "ReceiverTexts.hpp"
#include "ReceiverDialog.hpp"
#include "SecondTimer.hpp"
#include "SettingRules.hpp"
#include "SkyView.hpp"
#include "Tick.hpp"
#include "TickFanout.hpp"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QAction>
#include <QMenu>
#include <QShortcut>
#include <QLabel>
#include <QStyle>
#include <QMessageBox>
#include <QPushButton>
#include <QLineEdit>
#include <QSettings>

#include <cmath>

namespace quilvex {
namespace {

constexpr const char* kTitle = "Quilvex";
constexpr const char* kPortNames[] = {"COM1", "COM2",  "COM3",  "COM4",  "COM5",
                                      "COM6", "COM7",  "COM8",  "COM9",  "COM10",
                                      "COM11", "COM12", "COM13", "COM14", "COM15"};
constexpr const char* kRates[] = {"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
constexpr const char* kDefaultPort = "COM1";
// The status line sits below the buttons, across the window; the window
// grows below it only when its text needs more than the room left there.
constexpr int kStatusTop = (kCmdStart.top + kCmdStart.height) / kTwipsPerPixel + 2;
constexpr int kStatusMargin = 6;

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Whether the text may still become a prefecture's name, romanisation or slot as typing goes on.
bool MayNamePrefecture(const QString& text)
{
    if (text.isEmpty() || PrefectureSlot(text.toStdString()) != 0)
        return true;
    bool number = false;
    const int slot = text.toInt(&number);
    if (number && slot >= 0 && slot <= kLastSlot)
        return true;
    for (int s = kFirstSlot; s <= kLastSlot; ++s)
        if (FromUtf8(PrefectureTable[s].name).startsWith(text) ||
            FromUtf8(PrefectureTable[s].latin).startsWith(text, Qt::CaseInsensitive))
            return true;
    return false;
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, const TwipRect& where)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(ToPixels(where));
    return widget;
}

QLabel* Caption(QWidget* parent, const char* name, const TwipRect& where, const QString& text)
{
    return Place(new QLabel(text, parent), name, where);
}

QLabel* DisplayField(QWidget* parent, const char* name, const TwipRect& where)
{
    QLabel* label = Place(new QLabel(parent), name, where);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

PickComboBox* List(QWidget* parent, const char* name, const TwipRect& where)
{
    return Place(new PickComboBox(parent), name, where);
}

void SelectExactly(QComboBox* list, const QString& text)
{
    list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    list->setEditText(text);
}

// QMessageBox leaves a text no wider than half the screen, and never one
// wider than this, on its lines as they stand; it wraps a wider one.
constexpr qreal kMessageBoxWrapsAbove = 500;

// The width a message box's text gets so that no path or address in it
// breaks across lines: each line up to the end of its last path (and the
// punctuation that cannot begin a line after it) fits on one line. A path
// is a run of blank-free characters from before the CJK blocks that holds
// a slash or a backslash. A text the box would not wrap gets its own width,
// so a narrower one is never cut off.
int WidthKeepingPathsWhole(const QString& message, const QFontMetricsF& metrics)
{
    qreal needed = 0, unwrapped = 0;
    for (const QString& line : message.split('\n')) {
        qsizetype end = 0;
        for (qsizetype i = 0; i < line.size();) {
            qsizetype run = i;
            while (run < line.size() && !line[run].isSpace() && line[run].unicode() < 0x3000)
                ++run;
            const QStringView token = QStringView(line).mid(i, run - i);
            if (token.contains('/') || token.contains('\\')) {
                // Closing brackets and stops never begin a line: they go with it.
                for (end = run; end < line.size(); ++end) {
                    const QChar::Category c = line[end].category();
                    if (c != QChar::Punctuation_Close && c != QChar::Punctuation_FinalQuote && c != QChar::Punctuation_Other)
                        break;
                }
            }
            i = std::max(run, i + 1);
        }
        needed = std::max(needed, metrics.horizontalAdvance(line.left(end)));
        unwrapped = std::max(unwrapped, metrics.horizontalAdvance(line));
    }
    return static_cast<int>(std::ceil(std::max(needed, std::min(unwrapped, kMessageBoxWrapsAbove + 1)))) + 1;
}

// Why a serial line at this rate cannot carry the chosen update rate, as
// --rate refuses it; empty where it can. A rate text the port's driver
// refuses is its failure at open, as before.
QString LineRefusalFor(const ReceiverChoice& choice, const QString& port, const QString& rate)
{
    if (choice.format != NmeaFormat::Standard || TcpPortText(port.toStdString()))
        return {};
    const auto bitsPerSecond = WholeNumber(rate.toStdString());
    const auto shortfall =
        bitsPerSecond ? LineShortfallOf(*bitsPerSecond, choice.systems, choice.dialect, choice.hz) : std::nullopt;
    return shortfall ? QString::fromStdString(LineRefusal(*shortfall, Language::Japanese)) : QString();
}

}  // namespace

frmMain::frmMain(PortSource ports, QWidget* parent) : QWidget(parent), m_ports(std::move(ports))
{
    setObjectName("frmMain");
    setWindowTitle(kTitle);
    setFixedSize(kClientArea);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // Created in tab order.
    cmbPref = List(this, "cmbPref", kCmbPref);
    cmbBPS = List(this, "cmbBPS", kCmbBPS);
    cmbCOM = List(this, "cmbCOM", kCmbCOM);
    cmdStart = Place(new QPushButton("Start", this), "cmdStart", kCmdStart);
    cmdStop = Place(new QPushButton("Stop", this), "cmdStop", kCmdStop);
    Label1 = Caption(this, "Label1", kLabel1, QStringLiteral("北緯"));
    Label2 = Caption(this, "Label2", kLabel2, QStringLiteral("東経"));
    Label3 = DisplayField(this, "Label3", kLabel3);
    Label4 = DisplayField(this, "Label4", kLabel4);
    Label5 = Caption(this, "Label5", kLabel5, QStringLiteral("COMポート"));
    Label6 = Caption(this, "Label6", kLabel6, QStringLiteral("速度"));
    Label7 = Caption(this, "Label7", kLabel7, QStringLiteral("位置"));
    Label8 = Caption(this, "Label8", kLabel8, QStringLiteral("bps"));
    // Screen readers name each list and field by its caption and still read
    // the field's value.
    Label5->setBuddy(cmbCOM);
    Label6->setBuddy(cmbBPS);
    Label7->setBuddy(cmbPref);
    Label1->setBuddy(Label3);
    Label2->setBuddy(Label4);
    setTabOrder(cmbPref, cmbBPS);
    setTabOrder(cmbBPS, cmbCOM);
    setTabOrder(cmbCOM, cmdStart);
    setTabOrder(cmdStart, cmdStop);

    for (const char* port : kPortNames)
        cmbCOM->addItem(QString::fromLatin1(port));
    SelectExactly(cmbCOM, kDefaultPort);
    for (const char* rate : kRates)
        cmbBPS->addItem(QString::fromLatin1(rate));
    SelectExactly(cmbBPS, QString::fromLatin1(kDefaultRate.data(), qsizetype(kDefaultRate.size())));
    cmdStop->setEnabled(false);

    // Ticks on each whole UTC second, or each epoch of its grid above 1 Hz, as a receiver sends them.
    Timer1 = new SecondTimer(this);
    Timer1->setObjectName("Timer1");

    connect(cmdStart, &QPushButton::clicked, this, &frmMain::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    connect(cmbCOM, &PickComboBox::picked, this, &frmMain::cmbCOM_Click);
    connect(cmbBPS, &PickComboBox::picked, this, &frmMain::cmbBPS_Click);
    // A TCP server has no line rate.
    connect(cmbCOM, &QComboBox::currentTextChanged, this,
            [this](const QString& port) { cmbBPS->setEnabled(!TcpPortText(port.toStdString())); });
    connect(cmbCOM, &PickComboBox::aboutToOpen, this, &frmMain::cmbCOM_DropDown);
    connect(Timer1, &SecondTimer::coming, this, &frmMain::Timer1_Coming);
    connect(Timer1, &SecondTimer::tick, this, &frmMain::Timer1_Timer);

    // A receiver that loses its fix, on demand: a right click on the window,
    // or the Menu key or Shift+F10 wherever the focus is.
    mnuFixOff = new QAction(QStringLiteral("測位を止める"), this);
    mnuFixOff->setObjectName("mnuFixOff");
    mnuFixOff->setCheckable(true);
    addAction(mnuFixOff);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(mnuFixOff, &QAction::toggled, this, &frmMain::mnuFixOff_Click);
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &frmMain::ShowContextMenu);
    // The receiver's settings and its sky, beside it, each with a shortcut the menu shows;
    // function keys, since an edit field takes Ctrl+E and Ctrl+K for its own.
    mnuSettings = new QAction(QStringLiteral("受信機の設定…"), this);
    mnuSettings->setObjectName("mnuSettings");
    mnuSettings->setShortcut(QKeySequence(Qt::Key_F2));
    mnuSky = new QAction(QStringLiteral("天空図"), this);
    mnuSky->setObjectName("mnuSky");
    mnuSky->setShortcut(QKeySequence(Qt::Key_F3));
    for (QAction* item : {mnuSettings, mnuSky}) {
        item->setShortcutVisibleInContextMenu(true);
        addAction(item);
    }
    connect(mnuSettings, &QAction::triggered, this, &frmMain::mnuSettings_Click);
    connect(mnuSky, &QAction::triggered, this, &frmMain::mnuSky_Click);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblStatus->setGeometry(kStatusMargin, kStatusTop, kClientArea.width() - 2 * kStatusMargin,
                           kClientArea.height() - kStatusTop);
    // A prefecture typed into 位置 counts once confirmed: Enter, leaving the field, or a pick.
    connect(cmbPref->lineEdit(), &QLineEdit::editingFinished, this, &frmMain::ConfirmPref);
    connect(cmbPref, &PickComboBox::picked, this, &frmMain::ConfirmPref);
    connect(cmbPref->lineEdit(), &QLineEdit::textEdited, this, &frmMain::cmbPref_Edited);
    QSettings settings;
    m_choice = LoadReceiverChoice(settings);

    Form_Load();
    ConfirmPref();
}

void frmMain::Form_Load()
{
    LoadPrefectures();
}

void frmMain::LoadPrefectures()
{
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot)
        cmbPref->addItem(QString::fromUtf8(PrefectureTable[slot].name.data(),
                                           qsizetype(PrefectureTable[slot].name.size())));
    SelectExactly(cmbPref, QString::fromUtf8(kDefaultPrefecture.data(),
                                             qsizetype(kDefaultPrefecture.size())));
}

frmMain::~frmMain() = default;

void frmMain::cmdStart_Click()
{
    // Refused before anything opens, so nothing is sent.
    ConfirmPref();
    const QString lineRefusal = LineRefusalFor(m_choice, cmbCOM->currentText(), cmbBPS->currentText());
    std::variant<PreparedReceiver, QString> prepared = lineRefusal;
    if (lineRefusal.isEmpty())
        prepared = PrepareReceiver(m_choice, m_prefSlot);
    if (const QString* refusal = std::get_if<QString>(&prepared)) {
        auto* box = new QMessageBox(QMessageBox::Warning, "Quilvex", *refusal, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    PreparedReceiver& ready = std::get<PreparedReceiver>(prepared);
    ready.receiver.fixSwitchedOff = m_receiver.fixSwitchedOff;
    m_receiver = std::move(ready.receiver);
    m_replay = std::move(ready.replay);
    m_running = m_choice;
    // The classic stream is the original's, at 1 Hz.
    m_hz = m_running.format == NmeaFormat::Standard ? m_running.hz : 1;
    m_epochs = RealTimeEpochs(m_hz);
    m_composedAhead = false;
    m_ahead.reset();
    cmdStart->setEnabled(false);
    if (!m_replay)
        return StartSending();
    // A log is read off the event loop; sending starts at its first fix.
    const ReplayPlayer* player = m_replay.get();
    connect(player, &ReplayPlayer::ready, this, [this, player] {
        if (m_replay.get() == player && !cmdStart->isEnabled())
            StartSending();
    });
    connect(player, &ReplayPlayer::failed, this, [this, player](const FileProblem& problem) {
        if (m_replay.get() != player)
            return;
        m_replay.reset();
        cmdStart->setEnabled(true);
        auto* box = new QMessageBox(QMessageBox::Warning, "Quilvex",
                                    FileRefusal(QStringLiteral("記録ファイル"), m_running.replayFile, problem),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    m_replay->begin();
}

void frmMain::StartSending()
{
    cmdStop->setEnabled(true);
    auto output = MakePortOutput(cmbCOM->currentText(), cmbBPS->currentText());
    m_sendingTo = QStringLiteral("%1 %2 bps").arg(cmbCOM->currentText(), cmbBPS->currentText());
    output->setObjectName("MSComm1");
    std::vector<std::unique_ptr<TickOutput>> outputs;
    outputs.push_back(std::move(output));
    m_fanout = new TickFanout(std::move(outputs), this);
    connect(m_fanout, &TickFanout::failed, this, &frmMain::MSComm1_Error);
    connect(m_fanout, &TickFanout::notice, this, &frmMain::ShowRunState);
    if (const auto error = m_fanout->open()) {
        MSComm1_Error(*error);
        return;
    }
    Timer1->setRate(m_hz);
    Timer1->start();
    ShowRunState();
    // Disabling Start sent the focus on to the lists; Space now stops.
    cmdStop->setFocus();
}

void frmMain::cmdStop_Click()
{
    StopTransmission();
    cmdStart->setFocus();
}

void frmMain::StopTransmission()
{
    Timer1->stop();
    cmdStop->setEnabled(false);
    cmdStart->setEnabled(true);
    if (m_fanout) {
        m_fanout->close();
        // It may be the sender of the signal being handled.
        m_fanout->disconnect(this);
        m_fanout->setParent(nullptr);
        m_fanout->deleteLater();
        m_fanout = nullptr;
    }
    ShowRunState();
}

void frmMain::cmbCOM_Click()
{
    StopTransmission();
}

void frmMain::cmbBPS_Click()
{
    StopTransmission();
}

// COM1 to COM15 stay first; the ports this system has follow, asked again
// each time the list opens, so an adapter plugged in meanwhile shows up.
void frmMain::cmbCOM_DropDown()
{
    const QString typed = cmbCOM->currentText();
    const int designed = int(std::size(kPortNames));
    while (cmbCOM->count() > designed)
        cmbCOM->removeItem(designed);
    for (const PortDescription& port : m_ports()) {
        bool designedPort = false;
        for (int n = 1; n <= designed; ++n)
            designedPort = designedPort || port.port == DeviceForPortNumber(n);
        if (designedPort)
            continue;
        cmbCOM->addItem(QString::fromStdString(port.port));
        cmbCOM->setItemData(cmbCOM->count() - 1, QString::fromStdString(port.description), Qt::ToolTipRole);
    }
    SelectExactly(cmbCOM, typed);
    // Device paths are wider than the box; the opened list shows them whole.
    int widest = 0;
    for (int i = 0; i < cmbCOM->count(); ++i)
        widest = std::max(widest, cmbCOM->fontMetrics().horizontalAdvance(cmbCOM->itemText(i)));
    cmbCOM->view()->setMinimumWidth(widest + 2 * cmbCOM->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

// The tick of the epoch the timer is at, as quilvex-nmea composes it; none
// once the replay has ended.
std::optional<Tick> frmMain::ComposeDue(const TickSchedule::Timing& timing)
{
    const RealTimeEpochs::Due due = m_epochs.next(timing);
    // A text that names no prefecture leaves the receiver without a place:
    // its ticks carry no fix, and the fields no coordinates.
    m_receiver.slot = m_prefSlot;
    m_receiver = AdvancedTo(std::move(m_receiver), due.sinceFirst);
    if (m_replay) {
        const ReplayCursor::At at = m_replay->at(due.sinceFirst);
        if (at.state == ReplayCursor::At::State::Ended)
            return std::nullopt;
        m_receiver.replay = at.replayed;  // while the next record is not read yet, what holds meanwhile
    }
    m_dueCarriesSky = due.firstOfSecond;
    return ComposeTickAt(m_receiver, due.instant, due.firstOfSecond);
}

// Above 1 Hz a tick carries its epoch's instant, known before it is due, so
// it is made then and only handed over at the instant.
void frmMain::Timer1_Coming()
{
    if (m_hz == 1)
        return;
    m_ahead = ComposeDue(Timer1->upcoming());
    m_aheadCarriesSky = m_dueCarriesSky;
    m_composedAhead = true;
}

void frmMain::Timer1_Timer()
{
    std::optional<Tick> tick = m_composedAhead ? std::move(m_ahead) : ComposeDue(Timer1->timing());
    const bool carriesSky = m_composedAhead ? m_aheadCarriesSky : m_dueCarriesSky;
    m_composedAhead = false;
    m_ahead.reset();
    if (!tick) {
        StopTransmission();
        ShowStatus(QStringLiteral("記録の再生が終わりました。"));
        return;
    }
    if (m_fanout)
        m_fanout->send(*tick);
    ShowPlace();
    // The sky view follows the ticks that carry the sky: above 1 Hz, each second's first.
    if (carriesSky) {
        m_lastTick = std::move(*tick);
        m_ticked = true;
        if (m_sky)
            m_sky->ShowTick(m_lastTick, m_receiver.format == NmeaFormat::Standard);
    }
    ShowRunState();
}

// The place the last tick sent, or why there is none.
void frmMain::ShowPlace()
{
    QString lat, lon;
    if (m_receiver.fixSwitchedOff || (m_receiver.replay && !m_receiver.replay->fix)) {
        lat = lon = QStringLiteral("測位なし");
    } else if (!HasFix(m_receiver)) {
        lat = lon = QStringLiteral("位置不明");
    } else if (!m_receiver.position && !m_receiver.route && !m_receiver.replay) {
        const PrefectureRow& row = PrefectureTable[m_receiver.slot];
        lat = QString::fromStdString(LatitudeDisplayText(row.lat));
        lon = QString::fromStdString(LongitudeDisplayText(row.lon));
    } else {
        const GeoPoint place = PlaceNow(m_receiver);
        lat = QString::fromStdString(DegreesDisplayText(place.lat));
        lon = QString::fromStdString(DegreesDisplayText(place.lon));
    }
    Label3->setText(lat);
    Label4->setText(lon);
}

void frmMain::ConfirmPref()
{
    m_prefSlot = PrefectureSlot(cmbPref->currentText().toStdString());
    m_prefHint = m_prefSlot || cmbPref->currentText().isEmpty()
                     ? QString()
                     : QStringLiteral("「%1」に合う都道府県はありません。").arg(cmbPref->currentText());
    ShowRunState();
}

// Said at once while typing, though only a confirmed name takes effect.
void frmMain::cmbPref_Edited(const QString& text)
{
    m_prefHint = MayNamePrefecture(text) ? QString() : QStringLiteral("「%1」に合う都道府県はありません。").arg(text);
    ShowRunState();
}

void frmMain::mnuSettings_Click()
{
    auto* dialog = new ReceiverDialog(m_choice, cmbPref->currentText(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        m_choice = dialog->choice();
        QSettings settings;
        SaveReceiverChoice(settings, m_choice);
        ShowRunState();
    });
    dialog->open();
}

void frmMain::mnuSky_Click()
{
    if (!m_sky) {
        m_sky = new SkyView(this);
        if (m_ticked)
            m_sky->ShowTick(m_lastTick, m_receiver.format == NmeaFormat::Standard);
    }
    m_sky->show();
    m_sky->raise();
    m_sky->activateWindow();
}

void frmMain::ShowStatus(const QString& text)
{
    lblStatus->setText(text);
    const int needed = text.isEmpty() ? 0 : lblStatus->heightForWidth(lblStatus->width());
    const int height = std::max(kClientArea.height(), kStatusTop + needed + 2);
    lblStatus->resize(lblStatus->width(), height - kStatusTop);
    if (this->height() != height)
        setFixedSize(kClientArea.width(), height);
}

// Checked: the ticks from the next one on carry no fix, as a receiver that
// lost the sky sends them; the clock (ZDA) goes on.
void frmMain::mnuFixOff_Click(bool checked)
{
    m_receiver.fixSwitchedOff = checked;
    if (checked || m_ticked) {
        ShowPlace();
    } else {  // nothing sent yet: no place to show
        Label3->clear();
        Label4->clear();
    }
    ShowRunState();
}

void frmMain::ToggleFix()
{
    mnuFixOff->toggle();
}

void frmMain::ShowContextMenu()
{
    QMenu menu(this);
    menu.addActions(actions());
    const QWidget* focus = focusWidget() ? focusWidget() : this;
    menu.exec(focus->mapToGlobal(focus->rect().center()));
}

// The title tells where the ticks go while sending, what receiver sends
// them when it is not the original one, and whether any were skipped; the
// status line says the same inside the window.
void frmMain::ShowRunState()
{
    if (!m_fanout || !Timer1->isActive()) {
        setWindowTitle(kTitle);
        const QString next = DescribeChoice(m_choice);
        QStringList status{m_prefHint};
        if (!next.isEmpty())
            status << QStringLiteral("次の Start: ") + next;
        status.removeAll(QString());
        ShowStatus(status.join('\n'));
        return;
    }
    // A server is named by the address it listens on, a host name once looked up.
    const int clients = m_fanout->consumers();
    QString state = QStringLiteral("送信中: %1").arg(clients >= 0 ? QString::fromStdString(m_fanout->describe()) : m_sendingTo);
    if (clients >= 0)
        state += QStringLiteral("（接続 %1）").arg(clients);
    if (const QString receiver = DescribeChoice(m_running); !receiver.isEmpty())
        state += QStringLiteral("、") + receiver;
    if (const long long skipped = m_fanout->skippedTicks(); skipped > 0)
        state += QStringLiteral("、スキップ %1").arg(skipped);
    if (!m_receiver.slot && !m_receiver.position && !m_receiver.route && !m_receiver.replay)
        state += QStringLiteral("、位置不明");
    if (m_receiver.fixSwitchedOff)
        state += QStringLiteral("、測位なし");
    setWindowTitle(QStringLiteral("%1 — %2").arg(kTitle, state));
    ShowStatus(m_prefHint.isEmpty() ? state : m_prefHint + '\n' + state);
}

// Every failure of the output, at Start or while running, ends here: back to
// Stopped, and the operator is told without the event loop being held up.
void frmMain::MSComm1_Error(const OutputError& error)
{
    StopTransmission();
    std::vector<std::string> ports;
    for (const PortDescription& port : m_ports())
        ports.push_back(port.port);
    const QString message = QString::fromStdString(OutputErrorMessage(error, Language::Japanese, ports));
    auto* box = new QMessageBox(QMessageBox::Warning, "Quilvex", message, QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
        label->ensurePolished();  // the font it will be drawn in
        label->setMinimumWidth(WidthKeepingPathsWhole(message, QFontMetricsF(label->font())));
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace quilvex
