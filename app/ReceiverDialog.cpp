#include "ReceiverDialog.hpp"

#include "ReceiverTexts.hpp"
#include "SettingRules.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quilvex {
namespace {

constexpr std::array kDialects{NmeaDialect::V23, NmeaDialect::V410, NmeaDialect::V411};

template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString Plain(double value)
{
    return QString::number(value, 'g', 12);
}

QLineEdit* Field(const char* name, int width = 90)
{
    auto* field = Named(new QLineEdit, name);
    field->setMinimumWidth(width);
    return field;
}

// A row of widgets, left-aligned.
QWidget* Row(std::initializer_list<QWidget*> widgets)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    return row;
}

}  // namespace

ReceiverDialog::ReceiverDialog(const ReceiverChoice& choice, const QString& prefecture, QWidget* parent)
    : QDialog(parent), m_choice(choice)
{
    setObjectName("dlgReceiver");
    setWindowTitle(QStringLiteral("受信機の設定"));
    auto* layout = new QVBoxLayout(this);

    auto* format = new QGroupBox(QStringLiteral("形式"));
    auto* formatForm = new QFormLayout(format);
    cmbFormat = Named(new QComboBox, "cmbFormat");
    cmbFormat->addItem(QStringLiteral("従来（6 文）"));
    for (NmeaDialect dialect : kDialects) {
        const std::string_view name = NameOf(dialect);
        cmbFormat->addItem(QStringLiteral("標準 NMEA %1").arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    }
    cmbTalker = Named(new QComboBox, "cmbTalker");
    cmbTalker->addItems({"GP", "GN"});
    formatForm->addRow(QStringLiteral("形式(&F)"), cmbFormat);
    formatForm->addRow(QStringLiteral("トーカー(&T)"), cmbTalker);
    layout->addWidget(format);

    auto* systems = new QGroupBox(QStringLiteral("衛星システム（標準のみ）"));
    systems->setObjectName("grpSystems");
    auto* systemRow = new QHBoxLayout(systems);
    const char* const systemNames[] = {"chkGps", "chkGlonass", "chkGalileo", "chkBeiDou", "chkQzss"};
    for (std::size_t i = 0; i < kConstellations.size(); ++i)
        systemRow->addWidget(chkSystem[i] = Named(new QCheckBox(SystemName(kConstellations[i])), systemNames[i]));
    layout->addWidget(systems);

    auto* rate = new QGroupBox(QStringLiteral("更新レート（標準のみ）"));
    rate->setObjectName("grpHz");
    auto* rateRow = new QHBoxLayout(rate);
    cmbHz = Named(new QComboBox, "cmbHz");
    for (int hz : kUpdateRates)
        cmbHz->addItem(QStringLiteral("%1 Hz").arg(hz), hz);
    rateRow->addWidget(cmbHz);
    rateRow->addStretch();
    layout->addWidget(rate);

    auto* place = new QGroupBox(QStringLiteral("位置"));
    auto* placeBox = new QVBoxLayout(place);
    optSeat = Named(new QRadioButton(QStringLiteral("メイン画面の位置（%1）").arg(prefecture)), "optSeat");
    optPlace = Named(new QRadioButton(QStringLiteral("緯度・経度・高度(&P)")), "optPlace");
    txtLat = Field("txtLat");
    txtLon = Field("txtLon");
    txtAlt = Field("txtAlt", 60);
    txtLat->setPlaceholderText(QStringLiteral("緯度 35.6895"));
    txtLon->setPlaceholderText(QStringLiteral("経度 139.6917"));
    txtAlt->setPlaceholderText(QStringLiteral("高度 m"));
    // Options in rows of their own are exclusive by their groups.
    auto* places = new QButtonGroup(this);
    places->addButton(optSeat);
    places->addButton(optPlace);
    placeBox->addWidget(optSeat);
    placeBox->addWidget(Row({optPlace, txtLat, txtLon, txtAlt}));
    layout->addWidget(place);

    auto* motion = new QGroupBox(QStringLiteral("動き"));
    auto* motionBox = new QVBoxLayout(motion);
    const char* const motionNames[] = {"optStill", "optSteady", "optRoute", "optReplay"};
    const QString motionCaptions[] = {QStringLiteral("静止(&S)"), QStringLiteral("速度と針路(&V)"),
                                      QStringLiteral("経路ファイル(&R)"), QStringLiteral("記録の再生(&L)")};
    auto* motions = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i)
        motions->addButton(optMotion[i] = Named(new QRadioButton(motionCaptions[i]), motionNames[i]));
    txtSpeed = Field("txtSpeed", 60);
    txtCourse = Field("txtCourse", 60);
    txtRoute = Field("txtRoute", 220);
    txtReplay = Field("txtReplay", 220);
    txtPace = Field("txtPace", 40);
    chkRouteLoop = Named(new QCheckBox(QStringLiteral("ループ")), "chkRouteLoop");
    chkReplayLoop = Named(new QCheckBox(QStringLiteral("ループ")), "chkReplayLoop");
    auto* browseRoute = Named(new QPushButton(QStringLiteral("参照…")), "cmdBrowseRoute");
    auto* browseReplay = Named(new QPushButton(QStringLiteral("参照…")), "cmdBrowseReplay");
    motionBox->addWidget(optMotion[0]);
    motionBox->addWidget(Row({optMotion[1], new QLabel(QStringLiteral("速度")), txtSpeed, new QLabel(QStringLiteral("ノット")),
                              new QLabel(QStringLiteral("針路")), txtCourse, new QLabel(QStringLiteral("度"))}));
    motionBox->addWidget(Row({optMotion[2], chkRouteLoop}));
    motionBox->addWidget(Row({txtRoute, browseRoute}));
    motionBox->addWidget(Row({optMotion[3], new QLabel(QStringLiteral("倍速")), txtPace, chkReplayLoop}));
    motionBox->addWidget(Row({txtReplay, browseReplay}));
    layout->addWidget(motion);

    lblRefusal = Named(new QLabel, "lblRefusal");
    lblRefusal->setWordWrap(true);
    lblRefusal->setStyleSheet("color: #b00000");
    lblRefusal->hide();
    layout->addWidget(lblRefusal);
    auto* note = new QLabel(QStringLiteral("設定は次の Start から使われます。"));
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ReceiverDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReceiverDialog::reject);
    connect(cmbFormat, &QComboBox::currentIndexChanged, this, &ReceiverDialog::ShowWhatApplies);
    connect(optPlace, &QRadioButton::toggled, this, &ReceiverDialog::ShowWhatApplies);
    for (QRadioButton* option : optMotion)
        connect(option, &QRadioButton::toggled, this, &ReceiverDialog::ShowWhatApplies);
    connect(browseRoute, &QPushButton::clicked, this, [this] {
        Browse(txtRoute, QStringLiteral("経路ファイル"), QStringLiteral("経路（*.gpx *.txt *.csv）;;すべてのファイル（*）"));
    });
    connect(browseReplay, &QPushButton::clicked, this, [this] {
        Browse(txtReplay, QStringLiteral("記録ファイル"), QStringLiteral("記録（*.nmea *.log *.txt *.gpx）;;すべてのファイル（*）"));
    });
    Fill(choice);
}

void ReceiverDialog::Fill(const ReceiverChoice& c)
{
    cmbFormat->setCurrentIndex(c.format == NmeaFormat::Classic ? 0 : 1 + static_cast<int>(c.dialect));
    cmbTalker->setCurrentIndex(c.talker == Talker::GN ? 1 : 0);
    for (std::size_t i = 0; i < kConstellations.size(); ++i)
        chkSystem[i]->setChecked(c.systems.contains(kConstellations[i]));
    cmbHz->setCurrentIndex(cmbHz->findData(c.hz));
    (c.position ? optPlace : optSeat)->setChecked(true);
    if (c.position) {
        txtLat->setText(Plain(c.position->lat));
        txtLon->setText(Plain(c.position->lon));
        txtAlt->setText(c.position->altitude ? Plain(*c.position->altitude) : QString());
    }
    optMotion[static_cast<int>(c.motion)]->setChecked(true);
    txtSpeed->setText(Plain(c.speedKnots));
    txtCourse->setText(Plain(c.courseDeg));
    txtRoute->setText(c.routeFile);
    chkRouteLoop->setChecked(c.routeLoop);
    txtReplay->setText(c.replayFile);
    txtPace->setText(QString::number(c.pace));
    chkReplayLoop->setChecked(c.replayLoop);
    ShowWhatApplies();
}

// Fields that do not apply to what is chosen are greyed, never hidden.
void ReceiverDialog::ShowWhatApplies()
{
    const bool standard = cmbFormat->currentIndex() > 0;
    // NMEA 4.10 and 4.11 send their fix sentences with GN.
    if (cmbFormat->currentIndex() > 1)
        cmbTalker->setCurrentIndex(1);
    cmbTalker->setEnabled(cmbFormat->currentIndex() <= 1);
    findChild<QWidget*>("grpSystems")->setEnabled(standard);
    findChild<QWidget*>("grpHz")->setEnabled(standard);
    const bool replay = optMotion[3]->isChecked(), route = optMotion[2]->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(txtLat), static_cast<QWidget*>(txtLon), static_cast<QWidget*>(txtAlt)})
        w->setEnabled(optPlace->isChecked() && !route && !replay);
    txtSpeed->setEnabled(optMotion[1]->isChecked() || route);
    txtCourse->setEnabled(optMotion[1]->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(txtRoute), static_cast<QWidget*>(chkRouteLoop),
                       findChild<QWidget*>("cmdBrowseRoute")})
        w->setEnabled(route);
    for (QWidget* w : {static_cast<QWidget*>(txtReplay), static_cast<QWidget*>(txtPace),
                       static_cast<QWidget*>(chkReplayLoop), findChild<QWidget*>("cmdBrowseReplay")})
        w->setEnabled(replay);
}

void ReceiverDialog::Browse(QLineEdit* into, const QString& title, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(this, title, into->text(), filter);
    if (!path.isEmpty())
        into->setText(path);
}

bool ReceiverDialog::Refuse(QWidget* field, const QString& why)
{
    lblRefusal->setText(why);
    lblRefusal->show();
    if (field)
        field->setFocus();
    return false;
}

bool ReceiverDialog::Read(ReceiverChoice& c)
{
    const auto refused = [this](QWidget* field, Setting setting, const QString& given) {
        return Refuse(field, QString::fromStdString(SettingRefusal(setting, Language::Japanese, given.toStdString())));
    };
    c.format = cmbFormat->currentIndex() > 0 ? NmeaFormat::Standard : NmeaFormat::Classic;
    c.dialect = kDialects[std::size_t(std::max(0, cmbFormat->currentIndex() - 1))];
    c.talker = cmbTalker->currentIndex() == 1 ? Talker::GN : Talker::GP;
    c.systems.clear();
    for (std::size_t i = 0; i < kConstellations.size(); ++i)
        if (chkSystem[i]->isChecked())
            c.systems.insert(kConstellations[i]);
    if (c.format == NmeaFormat::Standard && c.systems.empty())
        return Refuse(chkSystem[0], QString::fromStdString(SettingTakes(Setting::Gnss, Language::Japanese)));
    if (c.format == NmeaFormat::Standard && c.dialect == NmeaDialect::V23 && c.systems != Constellations{Constellation::Gps})
        return Refuse(cmbFormat, QString::fromStdString(SettingTakes(Setting::OneSystemDialect, Language::Japanese)));
    if (c.format == NmeaFormat::Classic)
        c.systems = {Constellation::Gps};
    c.hz = cmbHz->currentData().toInt();
    c.motion = static_cast<Motion>(std::find_if(std::begin(optMotion), std::end(optMotion),
                                                [](QRadioButton* o) { return o->isChecked(); }) - std::begin(optMotion));
    c.position.reset();
    if (optPlace->isChecked() && c.motion != Motion::Route && c.motion != Motion::Replay) {
        // One reader for the window and the command line: the three fields as --position takes them.
        QString text = txtLat->text().trimmed() + ',' + txtLon->text().trimmed();
        if (!txtAlt->text().trimmed().isEmpty())
            text += ',' + txtAlt->text().trimmed();
        c.position = ParsePosition(text.toStdString());
        if (!c.position)
            return refused(txtLat, Setting::Position, text);
    }
    if (c.motion == Motion::Steady || c.motion == Motion::Route) {
        const auto speed = ParseSpeed(txtSpeed->text().trimmed().toStdString());
        if (!speed)
            return refused(txtSpeed, Setting::Speed, txtSpeed->text());
        c.speedKnots = *speed;
    }
    if (c.motion == Motion::Steady) {
        const auto course = ParseCourse(txtCourse->text().trimmed().toStdString());
        if (!course)
            return refused(txtCourse, Setting::Course, txtCourse->text());
        c.courseDeg = *course;
    }
    if (c.motion == Motion::Route && !(c.speedKnots > kSpeedRange.low))
        return Refuse(txtSpeed, QString::fromStdString(SettingTakes(Setting::RouteSpeed, Language::Japanese)));
    c.routeFile = txtRoute->text();
    c.routeLoop = chkRouteLoop->isChecked();
    c.replayFile = txtReplay->text();
    c.replayLoop = chkReplayLoop->isChecked();
    if (c.motion == Motion::Replay) {
        const auto pace = ParsePace(txtPace->text().trimmed().toStdString());
        if (!pace)
            return refused(txtPace, Setting::Pace, txtPace->text());
        c.pace = *pace;
    }
    return true;
}

// Files are read now too, so one that cannot be used is named here, not at Start.
void ReceiverDialog::accept()
{
    ReceiverChoice c = m_choice;
    if (!Read(c))
        return;
    if (c.motion == Motion::Route || c.motion == Motion::Replay) {
        const auto prepared = PrepareReceiver(c, 0);
        if (const QString* refusal = std::get_if<QString>(&prepared))
            return (void)Refuse(c.motion == Motion::Route ? txtRoute : txtReplay, *refusal);
    }
    m_choice = c;
    QDialog::accept();
}

}  // namespace quilvex
