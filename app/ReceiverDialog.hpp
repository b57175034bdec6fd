#pragma once

#include "ReceiverChoice.hpp"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quilvex {

// 受信機の設定: every setting of the receiver, refused here in Japanese,
// by the same rules as the command line's, before anything is sent.
class ReceiverDialog : public QDialog {
    Q_OBJECT

public:
    // `prefecture` is what the main window's 位置 names, for the caption.
    ReceiverDialog(const ReceiverChoice& choice, const QString& prefecture, QWidget* parent = nullptr);

    const ReceiverChoice& choice() const { return m_choice; }
    void accept() override;

private:
    void Fill(const ReceiverChoice& choice);
    void ShowWhatApplies();
    // The fields read by the rules; the first refusal is shown, and its field focused.
    bool Read(ReceiverChoice& into);
    bool Refuse(QWidget* field, const QString& why);
    void Browse(QLineEdit* into, const QString& title, const QString& filter);

    ReceiverChoice m_choice;
    QComboBox* cmbFormat;
    QComboBox* cmbTalker;
    QCheckBox* chkSystem[kConstellations.size()];
    QComboBox* cmbHz;
    QRadioButton* optSeat;
    QRadioButton* optPlace;
    QLineEdit* txtLat;
    QLineEdit* txtLon;
    QLineEdit* txtAlt;
    QRadioButton* optMotion[4];
    QLineEdit* txtSpeed;
    QLineEdit* txtCourse;
    QLineEdit* txtRoute;
    QCheckBox* chkRouteLoop;
    QLineEdit* txtReplay;
    QLineEdit* txtPace;
    QCheckBox* chkReplayLoop;
    QLabel* lblRefusal;
};

}  // namespace quilvex
