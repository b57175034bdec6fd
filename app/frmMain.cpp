#include "frmMain.hpp"

#include "CoordinateDisplay.hpp"
#include "FormLayout.hpp"
#include "LinkMessages.hpp"
#include "PortRules.hpp"
#include "PrefectureTable.hpp"
#include "Tick.hpp"

#include <QMessageBox>

namespace quilvex {
namespace {

constexpr int kTickMs = 1000;
constexpr const char* kPortNames[] = {"COM1", "COM2",  "COM3",  "COM4",  "COM5",
                                      "COM6", "COM7",  "COM8",  "COM9",  "COM10",
                                      "COM11", "COM12", "COM13", "COM14", "COM15"};
constexpr const char* kRates[] = {"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
constexpr const char* kDefaultPort = "COM1";
constexpr const char* kDefaultRate = "4800";

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

}  // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName("frmMain");
    setWindowTitle("Quilvex");
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
    // Screen readers name each list and field by its caption.
    Label5->setBuddy(cmbCOM);
    Label6->setBuddy(cmbBPS);
    Label7->setBuddy(cmbPref);
    Label3->setAccessibleName(Label1->text());
    Label4->setAccessibleName(Label2->text());
    setTabOrder(cmbPref, cmbBPS);
    setTabOrder(cmbBPS, cmbCOM);
    setTabOrder(cmbCOM, cmdStart);
    setTabOrder(cmdStart, cmdStop);

    for (const char* port : kPortNames)
        cmbCOM->addItem(QString::fromLatin1(port));
    SelectExactly(cmbCOM, kDefaultPort);
    for (const char* rate : kRates)
        cmbBPS->addItem(QString::fromLatin1(rate));
    SelectExactly(cmbBPS, kDefaultRate);
    cmdStop->setEnabled(false);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(kTickMs);
    // The default coarse timer may run up to 5% late on each tick.
    Timer1.setTimerType(Qt::PreciseTimer);
    MSComm1.setObjectName("MSComm1");

    connect(cmdStart, &QPushButton::clicked, this, &frmMain::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    connect(cmbCOM, &PickComboBox::picked, this, &frmMain::cmbCOM_Click);
    connect(cmbBPS, &PickComboBox::picked, this, &frmMain::cmbBPS_Click);
    connect(&Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(&MSComm1, &SerialLink::failed, this, &frmMain::MSComm1_Error);

    Form_Load();
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

void frmMain::cmdStart_Click()
{
    cmdStart->setEnabled(false);
    cmdStop->setEnabled(true);
    MSComm1.setPort(cmbCOM->currentText());
    MSComm1.setSettings(QString::fromStdString(SettingsText(cmbBPS->currentText().toStdString())));
    if (const auto error = MSComm1.open()) {
        MSComm1_Error(*error);
        return;
    }
    Timer1.start();
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
    Timer1.stop();
    cmdStop->setEnabled(false);
    cmdStart->setEnabled(true);
    MSComm1.close();
}

void frmMain::cmbCOM_Click()
{
    StopTransmission();
}

void frmMain::cmbBPS_Click()
{
    StopTransmission();
}

void frmMain::Timer1_Timer()
{
    const PrefectureRow& row = PrefectureTable[LookupPrefecture(cmbPref->currentText().toStdString())];
    Label3->setText(QString::fromStdString(LatitudeDisplayText(row.lat)));
    Label4->setText(QString::fromStdString(LongitudeDisplayText(row.lon)));
    MSComm1.writeTick(ComposeTickNow(row.lat, row.lon));
}

// Every failure of the link, at Start or while running, ends here: back to
// Stopped, and the operator is told without the event loop being held up.
void frmMain::MSComm1_Error(const LinkError& error)
{
    StopTransmission();
    auto* box = new QMessageBox(QMessageBox::Warning, "Quilvex", JapaneseMessage(error),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace quilvex
