#pragma once

#include "PickComboBox.hpp"
#include "SerialLink.hpp"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace quilvex {

// The one window. Run state lives in the controls: Stopped is Start enabled,
// Stop disabled, Timer1 off and the link closed; Running is the opposite.
class frmMain : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    // Exposed for tests and accessibility tools under the designer's names.
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
    QTimer Timer1;
    SerialLink MSComm1;

    void Form_Load();
    void cmdStart_Click();
    void cmdStop_Click();
    void cmbCOM_Click();
    void cmbBPS_Click();
    void Timer1_Timer();

private:
    void LoadPrefectures();
    void StopTransmission();
    void MSComm1_Error(const LinkError& error);
};

}  // namespace quilvex
