#pragma once

#include "OutputError.hpp"
#include "PortListing.hpp"
#include "RealTimeEpochs.hpp"
#include "Receiver.hpp"
#include "ReceiverChoice.hpp"

#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QPushButton;

namespace quilvex {

class PickComboBox;
class SecondTimer;
class SkyView;
class TickFanout;

// The one window. Run state lives in the controls: Stopped is Start enabled,
// Stop disabled, Timer1 off and no output open; Running is the opposite.
// Controls carry the designer's names as object names.
class frmMain : public QWidget {
    Q_OBJECT

public:
    using PortSource = std::function<std::vector<PortDescription>()>;

    // `ports` tells which serial ports the system has; tests give their own.
    explicit frmMain(PortSource ports = SystemPorts, QWidget* parent = nullptr);
    ~frmMain() override;

    // The fix goes, or comes back (SIGUSR1, like the menu item).
    void ToggleFix();

private:
    void Form_Load();
    void LoadPrefectures();
    void cmdStart_Click();
    void StartSending();
    void cmdStop_Click();
    void cmbCOM_Click();
    void cmbBPS_Click();
    void cmbCOM_DropDown();
    void Timer1_Coming();
    void Timer1_Timer();
    std::optional<Tick> ComposeDue(const TickSchedule::Timing& timing);
    void StopTransmission();
    void MSComm1_Error(const OutputError& error);
    void ShowRunState();
    void mnuFixOff_Click(bool checked);
    void mnuSettings_Click();
    void mnuSky_Click();
    void ShowContextMenu();
    void ConfirmPref();
    void cmbPref_Edited(const QString& text);
    void ShowPlace();
    void ShowStatus(const QString& text);

    PickComboBox* cmbCOM;
    PickComboBox* cmbBPS;
    PickComboBox* cmbPref;
    QPushButton* cmdStart;
    QPushButton* cmdStop;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    SecondTimer* Timer1;
    QAction* mnuFixOff;
    QAction* mnuSettings;
    QAction* mnuSky;
    QLabel* lblStatus;  // what the title says, for window managers that cut it
    SkyView* m_sky = nullptr;
    TickFanout* m_fanout = nullptr;  // while Running; its one output is named MSComm1
    QString m_sendingTo;       // a serial port and rate as they stood at Start
    PortSource m_ports;
    Receiver m_receiver;  // what each tick carries: the seat picked, and whether there is a fix
    int m_prefSlot = 0;         // the prefecture 位置 named when last confirmed
    QString m_prefHint;         // why the typed 位置 names no prefecture
    ReceiverChoice m_choice;    // for the next Start
    ReceiverChoice m_running;   // as it stood at Start
    std::shared_ptr<ReplayPlayer> m_replay;
    int m_hz = 1;                // ticks a second since Start
    RealTimeEpochs m_epochs;     // each tick's epoch and stamp, as quilvex-nmea's
    bool m_composedAhead = false;  // above 1 Hz, before the tick is due
    std::optional<Tick> m_ahead;   // none: the replay ended
    bool m_aheadCarriesSky = false, m_dueCarriesSky = false;
    Tick m_lastTick;            // the last that carried a sky, for a sky view opened meanwhile
    bool m_ticked = false;
};

}  // namespace quilvex
