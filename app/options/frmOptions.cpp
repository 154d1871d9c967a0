#include "frmOptions.h"

#include "DiagramArrows.h"
#include "MathLib.h"
#include "NetworkEndpoint.h"
#include "NightMode.h"
#include "NumberText.h"
#include "SerialDevices.h"
#include "SerialPortFactory.h"
#include "SettingLimits.h"
#include "SignalKEndpoint.h"
#include "SimulateClock.h"
#include "TrackControl.h"
#include "TrackPicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <optional>
#include <random>

namespace {

const QString Title = QStringLiteral("Vanehold");

QString Indexed(const char* name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + NumberText::Format(double(index), u"0");
}

QString Plain(double value)
{
    return NumberText::Plain(value);
}

QString SettingName(QStringView section, QStringView key)
{
    return section.toString() + QLatin1Char(' ') + key.toString();
}

// A box's number for a stored setting: the whole text one number, single
// precision, within the setting's limits.
bool ReadSetting(const QLineEdit* box, QStringView section, QStringView key, float& value, QString& why)
{
    double v = 0;
    if (!NumberText::TryParse(box->text(), v)) {
        why = SettingName(section, key) + QStringLiteral(" is not a number: \"") + box->text() + QLatin1Char('"');
        return false;
    }
    v = double(float(v));
    if (!ProfileSettingValid(section, key, v, why))
        return false;
    value = float(v);
    return true;
}

// The same for a whole number, rounded half to even.
bool ReadSetting(const QLineEdit* box, QStringView section, QStringView key, int16_t& value, QString& why)
{
    double v = 0;
    if (!NumberText::TryParse(box->text(), v)) {
        why = SettingName(section, key) + QStringLiteral(" is not a number: \"") + box->text() + QLatin1Char('"');
        return false;
    }
    v = NumberText::RoundHalfEven(v);
    int16_t whole = 0;
    if (!ProfileSettingValid(section, key, v, why))
        return false;
    if (!NumberText::ToInt16(v, whole)) {
        why = SettingName(section, key) + QStringLiteral(" is out of range: \"") + box->text() + QLatin1Char('"');
        return false;
    }
    value = whole;
    return true;
}

// Units of the number boxes.
const QString Degrees = QStringLiteral("\u00B0");
const QString Seconds = QStringLiteral("s");
const QString Knots = QStringLiteral("kn");

// A number box with its unit beside it, in a row of its own. The unit's
// label is named after the box: txtTrackBandwidth, lblTrackBandwidthUnit.
QHBoxLayout* WithUnit(QLineEdit* box, const QString& unit)
{
    auto* label = new QLabel(unit, box->parentWidget());
    label->setObjectName(QStringLiteral("lbl") + box->objectName().mid(3) + QStringLiteral("Unit"));
    label->setToolTip(box->toolTip());
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addWidget(box);
    row->addWidget(label);
    row->addStretch(1);
    return row;
}

// A short note under a control, in the dimmer text colour.
QLabel* Hint(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    return label;
}

// A combo's choice (0 or 1) checked against the setting's limits.
bool ReadChoice(const QComboBox* combo, QStringView key, int16_t& value, QString& why)
{
    double v = combo->currentIndex();
    if (!ProfileSettingValid(u"Nmea", key, v, why))
        return false;
    value = int16_t(v);
    return true;
}

struct Sentence {
    const char* key;
    const char* text;
    bool ProfileSettings::*member;
};
const Sentence Sentences[] = {
    {"HDG", "HDG - Compass (Heading, Deviation, Variation)", &ProfileSettings::m_bNmeaSentenceHDG},
    {"HVM", "HVM - Magnetic (Variation)", &ProfileSettings::m_bNmeaSentenceHVM},
    {"MWV", "MWV - Wind (Angle, Apparent/True, Speed)", &ProfileSettings::m_bNmeaSentenceMWV},
    {"RMB", "RMB - Waypoint (Xte, To Id, From Id, Lat, Lon, Rng, Brg, Vmg)", &ProfileSettings::m_bNmeaSentenceRMB},
    {"RMC", "RMC - Gps (Time, Lat, Lon, SOG, COG, Variation)", &ProfileSettings::m_bNmeaSentenceRMC},
    {"VHW", "VHW - Vessel (Heading, SOW)", &ProfileSettings::m_bNmeaSentenceVHW},
    {"VTG", "VTG - Vessel (COG, SOG)", &ProfileSettings::m_bNmeaSentenceVTG},
};

// pctDiagram: the control loop. The error of the wind angle feeds the
// accumulator (tracking) and, straight, the overshoot path; their sum,
// scaled, moves the bearing.
class LoopDiagram : public QWidget {
public:
    explicit LoopDiagram(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("pctDiagram"));
        setMinimumSize(470, 170);
        const struct {
            const char* text;
            QRect place;
        } labels[] = {
            {"Desired Wind Angle", QRect(2, 22, 124, 16)},    {"Current Wind Angle", QRect(40, 130, 140, 16)},
            {"Overshoot Circuit", QRect(140, 30, 150, 16)},   {"Tracking Circuit", QRect(145, 132, 150, 16)},
            {"Accumulator", QRect(175, 92, 90, 36)},          {"Scale", QRect(340, 32, 60, 36)},
            {"Bearing", QRect(400, 30, 70, 16)},
        };
        for (const auto& l : labels) {
            auto* label = new QLabel(QLatin1String(l.text), this);
            label->setAlignment(Qt::AlignCenter);
            label->setGeometry(l.place);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        painter.setPen(NightMode::Ink(Qt::black));
        // lnArrow: Tag "Right" carries its head at the second end, "Top"
        // at the first.
        const ArrowLine lnArrow[] = {
            {QLineF(4, 50, 100, 50), ArrowTag::Right},    {QLineF(110, 60, 110, 126), ArrowTag::Top},
            {QLineF(120, 50, 280, 50), ArrowTag::Right},  {QLineF(150, 50, 150, 110), ArrowTag::None},
            {QLineF(150, 110, 175, 110), ArrowTag::Right}, {QLineF(265, 110, 290, 110), ArrowTag::None},
            {QLineF(290, 60, 290, 110), ArrowTag::Top},   {QLineF(300, 50, 340, 50), ArrowTag::Right},
            {QLineF(400, 50, 460, 50), ArrowTag::Right},
        };
        for (const ArrowLine& line : lnArrow)
            DrawArrowLine(painter, *this, line);
        painter.drawEllipse(QPointF(110, 50), 10, 10);
        painter.drawEllipse(QPointF(290, 50), 10, 10);
        painter.drawText(QRectF(100, 40, 20, 20), Qt::AlignCenter, QStringLiteral("+"));
        painter.drawText(QRectF(280, 40, 20, 20), Qt::AlignCenter, QStringLiteral("+"));
        painter.drawRect(QRectF(340, 32, 60, 36));
        painter.drawRect(QRectF(175, 92, 90, 36));
    }
};

} // namespace

frmOptions::frmOptions(OptionsHost& host, OptionsSetup setup, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(false);
    if (!m_setup.Message)
        m_setup.Message = [](QWidget* owner, const QString& title, const QString& text) {
            QMessageBox::warning(owner, title, text, QMessageBox::Ok);
        };
    if (!m_setup.Random) {
        // Never seeded: the same noise from run to run.
        auto engine = std::make_shared<std::mt19937>();
        m_setup.Random = [engine] { return std::uniform_real_distribution<double>(0, 1)(*engine); };
    }
    if (!m_setup.SerialDevices)
        m_setup.SerialDevices = SerialDevicesPresent;
    if (!m_setup.InputBox)
        m_setup.InputBox = [](QWidget* owner, const QString& title, const QString& prompt, QString& text) {
            bool ok = false;
            const QString typed = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, text, &ok);
            if (ok)
                text = typed;
            return ok;
        };

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));
    SSTab->addTab(BuildInput(), QStringLiteral("Input"));
    SSTab->addTab(BuildData(), QStringLiteral("Data"));
    SSTab->addTab(BuildOutput(), QStringLiteral("Output"));
    SSTab->addTab(BuildTracking(), QStringLiteral("Tracking"));
    SSTab->addTab(BuildSimulate(), QStringLiteral("Simulate"));
    SSTab->addTab(BuildDiagram(), QStringLiteral("Diagram"));

    auto newButton = [this](const char* name, const QString& text) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    cmdOk = newButton("cmdOk", QStringLiteral("OK"));
    cmdCancel = newButton("cmdCancel", QStringLiteral("Cancel"));
    cmdApply = newButton("cmdApply", QStringLiteral("Apply"));
    // OK, Cancel, Apply at the bottom right; the tabs take the rest.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(SSTab, 1);
    outer->addLayout(buttons);
    resize(560, 470);

    Bind();
    OptionsLoad();
}

QLineEdit* frmOptions::NewBox(QWidget* parent, const char* name, const QString& tip)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tip);
    box->setMaximumWidth(90);
    // Typing marks Apply; OptionsLoad's setText does not.
    connect(box, &QLineEdit::textEdited, this, &frmOptions::MarkChanged);
    return box;
}

QWidget* frmOptions::BuildInput()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    txtNmeaPort = NewBox(page, "txtNmeaPort", QStringLiteral("Input Comm Port"));
    lblNmeaStatus = new QLabel(page);
    lblNmeaStatus->setObjectName(QStringLiteral("lblNmeaStatus"));
    lblNmeaStatus->setToolTip(QStringLiteral("Input Comm Status"));
    lblNmeaStatus->setFrameShape(QFrame::StyledPanel);
    lblNmeaStatus->setFrameShadow(QFrame::Sunken);
    grid->addWidget(new QLabel(QStringLiteral("Comm:"), page), 0, 0);
    grid->addWidget(txtNmeaPort, 0, 1);
    grid->addWidget(lblNmeaStatus, 0, 2, 1, 4);

    optNmeaListOn = new QRadioButton(QStringLiteral("On"), page);
    optNmeaListOn->setObjectName(QStringLiteral("optNmeaListOn"));
    optNmeaListOn->setToolTip(QStringLiteral("Input Display Comm Data - On"));
    optNmeaListOff = new QRadioButton(QStringLiteral("Off"), page);
    optNmeaListOff->setObjectName(QStringLiteral("optNmeaListOff"));
    optNmeaListOff->setToolTip(QStringLiteral("Input Display Comm Data - Off"));
    auto* display = new QButtonGroup(page);
    display->addButton(optNmeaListOn);
    display->addButton(optNmeaListOff);
    optNmeaListOn->setChecked(true);
    optNmeaDataFormat[1] = new QRadioButton(QStringLiteral("Raw"), page);
    optNmeaDataFormat[1]->setToolTip(QStringLiteral("Display Data Format - Raw NMEA"));
    optNmeaDataFormat[2] = new QRadioButton(QStringLiteral("Error"), page);
    optNmeaDataFormat[2]->setToolTip(QStringLiteral("Display Data Format - Decoded Error"));
    auto* format = new QButtonGroup(page);
    for (int i = 1; i <= 2; ++i) {
        optNmeaDataFormat[i]->setObjectName(Indexed("optNmeaDataFormat", i));
        format->addButton(optNmeaDataFormat[i]);
        // Raw lines and error lines do not mix in one list.
        connect(optNmeaDataFormat[i], &QRadioButton::clicked, this, [this] { lstNmeaData->clear(); });
    }
    optNmeaDataFormat[1]->setChecked(true);
    grid->addWidget(new QLabel(QStringLiteral("Display:"), page), 1, 0);
    grid->addWidget(optNmeaListOn, 1, 1);
    grid->addWidget(optNmeaListOff, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Format:"), page), 1, 3);
    grid->addWidget(optNmeaDataFormat[1], 1, 4);
    grid->addWidget(optNmeaDataFormat[2], 1, 5);

    lblDevice[0] = new QLabel(page);
    lblDevice[0]->setObjectName(QStringLiteral("lblNmeaDevice"));
    cmbDevice[0] = new QComboBox(page);
    cmbDevice[0]->setObjectName(QStringLiteral("cmbNmeaDevice"));
    grid->addWidget(new QLabel(QStringLiteral("Device:"), page), 2, 0);
    grid->addWidget(lblDevice[0], 2, 1, 1, 2);
    grid->addWidget(cmbDevice[0], 2, 3, 1, 3);
    grid->addWidget(Hint(page, "lblNmeaNetwork",
                         QStringLiteral("udp://:port takes any sender on the network; udp://host:port only that "
                                        "sender.")),
                    3, 1, 1, 5);

    lstNmeaData = new QListWidget(page);
    lstNmeaData->setObjectName(QStringLiteral("lstNmeaData"));
    lstNmeaData->setToolTip(QStringLiteral("Input Nema Data, Highlighted indicates Decoded Data"));
    // The highlight is ours: a click must not move it.
    lstNmeaData->setSelectionMode(QAbstractItemView::NoSelection);
    grid->addWidget(lstNmeaData, 4, 0, 1, 6);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(5, 1);
    return page;
}

QWidget* frmOptions::BuildData()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    lstNmeaSentence = new QTreeWidget(page);
    lstNmeaSentence->setObjectName(QStringLiteral("lstNmeaSentence"));
    lstNmeaSentence->setHeaderLabels({QStringLiteral("Nmea Sentences")});
    lstNmeaSentence->setRootIsDecorated(false);
    for (const Sentence& s : Sentences) {
        auto* item = new QTreeWidgetItem(lstNmeaSentence, {QLatin1String(s.text)});
        item->setData(0, Qt::UserRole, QLatin1String(s.key));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    connect(lstNmeaSentence, &QTreeWidget::itemChanged, this, [this] {
        if (!m_bLoading)
            MarkChanged();
    });
    grid->addWidget(lstNmeaSentence, 0, 0, 1, 3);

    auto combo = [page](const char* name, const char* first, const char* second) {
        auto* box = new QComboBox(page);
        box->setObjectName(QLatin1String(name));
        box->addItems({QLatin1String(first), QLatin1String(second)});
        return box;
    };
    cmbNmeaHeading = combo("cmbNmeaHeading", "Compass Heading", "Course Over Ground");
    cmbNmeaBoatSpeed = combo("cmbNmeaBoatSpeed", "Speed Over Water", "Speed Over Ground");
    cmbNmeaTrueWind = combo("cmbNmeaTrueWind", "True Wind Sensor", "Compute from Boat Speed");
    grid->addWidget(new QLabel(QStringLiteral("Boat Heading:"), page), 1, 0);
    grid->addWidget(cmbNmeaHeading, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Boat Speed:"), page), 2, 0);
    grid->addWidget(cmbNmeaBoatSpeed, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("True Wind:"), page), 3, 0);
    grid->addWidget(cmbNmeaTrueWind, 3, 1, 1, 2);
    txtNmeaTrueWindAverage =
        NewBox(page, "txtNmeaTrueWindAverage", QStringLiteral("True Wind Average Time (sec, 0=none)"));
    txtNmeaWindIndicatorAverage =
        NewBox(page, "txtNmeaWindIndicatorAverage", QStringLiteral("Wind Indicator Average Time (sec, 0=none)"));
    grid->addWidget(new QLabel(QStringLiteral("Data Average:"), page), 4, 0);
    grid->addLayout(WithUnit(txtNmeaTrueWindAverage, Seconds), 4, 1);
    grid->addLayout(WithUnit(txtNmeaWindIndicatorAverage, Seconds), 4, 2);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* frmOptions::BuildOutput()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    txtPilotPort = NewBox(page, "txtPilotPort", QStringLiteral("Output Comm Port"));
    lblPilotStatus = new QLabel(page);
    lblPilotStatus->setObjectName(QStringLiteral("lblPilotStatus"));
    lblPilotStatus->setToolTip(QStringLiteral("Output Comm Status"));
    lblPilotStatus->setFrameShape(QFrame::StyledPanel);
    lblPilotStatus->setFrameShadow(QFrame::Sunken);
    grid->addWidget(new QLabel(QStringLiteral("Comm:"), page), 0, 0);
    grid->addWidget(txtPilotPort, 0, 1);
    grid->addWidget(lblPilotStatus, 0, 2, 1, 3);

    optPilotListOn = new QRadioButton(QStringLiteral("On"), page);
    optPilotListOn->setObjectName(QStringLiteral("optPilotListOn"));
    optPilotListOn->setToolTip(QStringLiteral("Output Display Comm Data - On"));
    OptPilotListOff = new QRadioButton(QStringLiteral("Off"), page);
    OptPilotListOff->setObjectName(QStringLiteral("OptPilotListOff"));
    OptPilotListOff->setToolTip(QStringLiteral("Output Display Comm Data - Off"));
    auto* display = new QButtonGroup(page);
    display->addButton(optPilotListOn);
    display->addButton(OptPilotListOff);
    optPilotListOn->setChecked(true);
    grid->addWidget(new QLabel(QStringLiteral("Display:"), page), 1, 0);
    grid->addWidget(optPilotListOn, 1, 1);
    grid->addWidget(OptPilotListOff, 1, 2);

    lblDevice[1] = new QLabel(page);
    lblDevice[1]->setObjectName(QStringLiteral("lblPilotDevice"));
    cmbDevice[1] = new QComboBox(page);
    cmbDevice[1]->setObjectName(QStringLiteral("cmbPilotDevice"));
    grid->addWidget(new QLabel(QStringLiteral("Device:"), page), 2, 0);
    grid->addWidget(lblDevice[1], 2, 1, 1, 2);
    grid->addWidget(cmbDevice[1], 2, 3, 1, 2);
    grid->addWidget(Hint(page, "lblPilotNetwork",
                         QStringLiteral("udp://host:port sends to that host; a broadcast address reaches every "
                                        "listener.")),
                    3, 1, 1, 4);

    lstPilotData = new QListWidget(page);
    lstPilotData->setObjectName(QStringLiteral("lstPilotData"));
    lstPilotData->setToolTip(QStringLiteral("Output Nema Data"));
    lstPilotData->setSelectionMode(QAbstractItemView::NoSelection);
    grid->addWidget(lstPilotData, 4, 0, 1, 5);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(4, 1);
    return page;
}

QWidget* frmOptions::BuildTracking()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);

    auto* options = new QGroupBox(QStringLiteral("Tracking Options"), page);
    auto* grid = new QGridLayout(options);
    chkTrackAlarm = new QCheckBox(options);
    chkTrackAlarm->setObjectName(QStringLiteral("chkTrackAlarm"));
    chkTrackAlarm->setToolTip(QStringLiteral("Tracking Alarm"));
    txtTrackAlarmLimit = NewBox(options, "txtTrackAlarmLimit", QStringLiteral("Tracking Alarm Limit (deg, +/- from Desired)"));
    txtTrackBandwidth = NewBox(options, "txtTrackBandwidth", QStringLiteral("Tracking Bandwidth (sec)"));
    txtTrackDamping = NewBox(options, "txtTrackDamping", QStringLiteral("Tracking Damping Factor (default=1)"));
    txtTrackMaxSteerTo = new QLineEdit(options);
    txtTrackMaxSteerTo->setObjectName(QStringLiteral("txtTrackMaxSteerTo"));
    txtTrackMaxSteerTo->setToolTip(QStringLiteral("Range (deg)"));
    txtTrackMaxSteerTo->setMaximumWidth(90);
    grid->addWidget(new QLabel(QStringLiteral("Alarm:"), options), 0, 0);
    auto* alarm = new QHBoxLayout;
    alarm->addWidget(chkTrackAlarm);
    alarm->addLayout(WithUnit(txtTrackAlarmLimit, Degrees));
    grid->addLayout(alarm, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Bandwidth:"), options), 0, 2);
    grid->addLayout(WithUnit(txtTrackBandwidth, Seconds), 0, 3);
    // Damping is a plain factor: no unit.
    grid->addWidget(new QLabel(QStringLiteral("Damping:"), options), 0, 4);
    grid->addWidget(txtTrackDamping, 0, 5);
    grid->addWidget(new QLabel(QStringLiteral("Max Steer To without Prompt:"), options), 1, 0, 1, 3);
    grid->addLayout(WithUnit(txtTrackMaxSteerTo, Degrees), 1, 3);
    column->addWidget(options);

    frmTrack = new QGroupBox(QStringLiteral("Tracking Responce"), page);
    frmTrack->setObjectName(QStringLiteral("frmTrack"));
    auto* track = new QGridLayout(frmTrack);
    pctTrack = new TrackPicture(frmTrack);
    const struct {
        QLineEdit** box;
        const char* name;
        const char* label;
        const char* tip;
        const char* value;
        QString unit;
    } inputs[] = {
        {&txtTrackOffset, "txtTrackOffset", "Offset", "Initial Track Offset  (deg)", "10", Degrees},
        {&txtTrackNoise, "txtTrackNoise", "Noise", "Added Random Noise (+/- Deg)", "4", Degrees},
        {&txtTrackTime, "txtTrackTime", "Time", "", "300", Seconds},
        // The scale of the error drawn.
        {&txtTrackMin, "txtTrackMin", "Min", "", "-1", Degrees},
        {&txtTrackMax, "txtTrackMax", "Max", "", "10", Degrees},
    };
    int row = 0;
    for (const auto& input : inputs) {
        *input.box = NewBox(frmTrack, input.name, QLatin1String(input.tip));
        (*input.box)->setText(QLatin1String(input.value));
        (*input.box)->setMaximumWidth(60);
        track->addWidget(new QLabel(QLatin1String(input.label), frmTrack), row, 0);
        track->addLayout(WithUnit(*input.box, input.unit), row, 1);
        ++row;
    }
    track->addWidget(pctTrack, 0, 2, row + 1, 1);
    track->setRowStretch(row, 1);
    track->setColumnStretch(2, 1);
    column->addWidget(frmTrack, 1);
    return page;
}

QWidget* frmOptions::BuildSimulate()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    chkSimulate = new QCheckBox(QStringLiteral("Simulate Data"), page);
    chkSimulate->setObjectName(QStringLiteral("chkSimulate"));
    connect(chkSimulate, &QCheckBox::clicked, this, &frmOptions::MarkChanged);
    chkSimulateAutoApply = new QCheckBox(QStringLiteral("Auto Apply"), page);
    chkSimulateAutoApply->setObjectName(QStringLiteral("chkSimulateAutoApply"));
    top->addWidget(chkSimulate);
    top->addStretch(1);
    top->addWidget(chkSimulateAutoApply);
    column->addLayout(top);

    frmSimulate = new QGroupBox(page);
    frmSimulate->setObjectName(QStringLiteral("frmSimulate"));
    auto* grid = new QGridLayout(frmSimulate);
    QWidget* f = frmSimulate;
    txtSimulateBoatSpeed = NewBox(f, "txtSimulateBoatSpeed", QString());
    txtSimulateTrueWindAngle = NewBox(f, "txtSimulateTrueWindAngle", QString());
    txtSimulateTrueWindSpeed = NewBox(f, "txtSimulateTrueWindSpeed", QString());
    txtSimulateVariation = NewBox(f, "txtSimulateVariation", QString());
    txtSimulateCompassOffset = NewBox(f, "txtSimulateCompassOffset", QStringLiteral("Compass Offset"));
    txtSimulateNoiseAngle = NewBox(f, "txtSimulateNoiseAngle", QStringLiteral("Added Random Noise (+/- Deg)"));
    txtSimulateNoiseSpeed = NewBox(f, "txtSimulateNoiseSpeed", QStringLiteral("Added Random Noise (+/- Kts)"));
    txtSimulateWaypointBrg = NewBox(f, "txtSimulateWaypointBrg", QStringLiteral("Waypoint Bearing (M)"));
    txtSimulateWaypointRng = NewBox(f, "txtSimulateWaypointRng", QStringLiteral("Waypoint Range (nm)"));
    txtSimulateTime = NewBox(f, "txtSimulateTime", QStringLiteral("Move Ahead in Time (h:mm)"));
    lblSimulateWaypointBrg = new QLabel(f);
    lblSimulateWaypointBrg->setObjectName(QStringLiteral("lblSimulateWaypointBrg"));
    lblSimulateWaypointBrg->setToolTip(QStringLiteral("Time, Waypoint Bearing (M)"));
    lblSimulateWaypointRng = new QLabel(f);
    lblSimulateWaypointRng->setObjectName(QStringLiteral("lblSimulateWaypointRng"));
    lblSimulateWaypointRng->setToolTip(QStringLiteral("Time, Waypoint Range(mn)"));
    for (QLabel* label : {lblSimulateWaypointBrg, lblSimulateWaypointRng}) {
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(60);
    }

    // Each pair: a coarse bar (0) and a fine bar (1); the up arrow moves
    // the value up one step, the down arrow down.
    auto pair = [this, f](QScrollBar** bars, const char* name, bool time) {
        auto* box = new QHBoxLayout;
        for (int i = 0; i <= 1; ++i) {
            bars[i] = new QScrollBar(Qt::Vertical, f);
            bars[i]->setObjectName(Indexed(name, i));
            bars[i]->setRange(-1, 1);
            bars[i]->setValue(0);
            bars[i]->setFixedHeight(txtSimulateTime->sizeHint().height());
            bars[i]->setToolTip(i == 0 ? (time ? QStringLiteral("10 minutes") : QStringLiteral("10 degrees"))
                                       : (time ? QStringLiteral("1 minute") : QStringLiteral("1 degree")));
            connect(bars[i], &QScrollBar::valueChanged, this,
                    [this, time, i](int value) { ScrollStep(time, i, value); });
            box->addWidget(bars[i]);
        }
        box->addStretch(1);
        return box;
    };

    auto label = [f](const char* text) { return new QLabel(QLatin1String(text), f); };
    grid->addWidget(label("Boat Speed (Kts)"), 0, 0);
    grid->addLayout(WithUnit(txtSimulateBoatSpeed, Knots), 0, 1);
    grid->addWidget(label("True Wind Direction (T)"), 1, 0);
    grid->addLayout(WithUnit(txtSimulateTrueWindAngle, Degrees), 1, 1);
    grid->addLayout(pair(vscSimulateTrueWindAngle, "vscSimulateTrueWindAngle", false), 1, 2);
    grid->addWidget(label("True Wind Speed (Kts)"), 2, 0);
    grid->addLayout(WithUnit(txtSimulateTrueWindSpeed, Knots), 2, 1);
    grid->addWidget(label("Magnetic Variation (Deg)"), 3, 0);
    grid->addLayout(WithUnit(txtSimulateVariation, Degrees), 3, 1);
    grid->addWidget(label("Offset (Deg)"), 4, 0);
    grid->addLayout(WithUnit(txtSimulateCompassOffset, Degrees), 4, 1);
    grid->addWidget(label("Noise"), 5, 0);
    grid->addLayout(WithUnit(txtSimulateNoiseAngle, Degrees), 5, 1);
    grid->addLayout(WithUnit(txtSimulateNoiseSpeed, Knots), 5, 2);
    grid->addWidget(label("Waypoint (M,nm)"), 6, 0);
    grid->addLayout(WithUnit(txtSimulateWaypointBrg, Degrees), 6, 1);
    grid->addLayout(WithUnit(txtSimulateWaypointRng, QStringLiteral("nm")), 6, 2);
    grid->addWidget(label("Time"), 7, 0);
    grid->addLayout(WithUnit(txtSimulateTime, QStringLiteral("h:mm")), 7, 1);
    grid->addLayout(pair(vscSimulateTime, "vscSimulateTime", true), 7, 2);
    grid->addWidget(lblSimulateWaypointBrg, 8, 1);
    grid->addWidget(lblSimulateWaypointRng, 8, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(9, 1);
    column->addWidget(frmSimulate);
    column->addStretch(1);
    return page;
}

QWidget* frmOptions::BuildDiagram()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(new LoopDiagram(page), 1);
    return page;
}

void frmOptions::Bind()
{
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    connect(SSTab, &QTabWidget::currentChanged, this, &frmOptions::SSTab_Click);
    connect(pctTrack, &TrackPicture::Resized, this, &frmOptions::TrackResponseDraw);
    for (int link = 0; link <= 1; ++link) {
        QLineEdit* port = link == 0 ? txtNmeaPort : txtPilotPort;
        connect(port, &QLineEdit::textEdited, this, [this, link] { ShowDevice(link); });
        connect(cmbDevice[link], QOverload<int>::of(&QComboBox::activated), this, [this, link](int index) {
            if (index < 0)
                return;
            const QString pattern = cmbDevice[link]->itemData(index).toString();
            if (!pattern.isEmpty()) {
                PickNetwork(link, pattern);
                return;
            }
            m_sDevice[link] = cmbDevice[link]->itemText(index);
            ShowDevice(link);
            MarkChanged();
        });
    }

    LinkTraffic traffic;
    traffic.NmeaLine = [this](const QString& sline, bool used) { NmeaData(sline, used); };
    traffic.NmeaLineError = [this](const QString& sline) { NmeaError(sline); };
    traffic.PilotSent = [this](const QString& sline) { PilotData(sline); };
    traffic.NmeaLinkStatus = [this](const QString& text) { lblNmeaStatus->setText(text); };
    traffic.PilotLinkStatus = [this](const QString& text) { lblPilotStatus->setText(text); };
    traffic.NmeaLinesCleared = [this] { lstNmeaData->clear(); };
    traffic.PilotLinesCleared = [this] { lstPilotData->clear(); };
    m_host.ConnectTraffic(this, traffic);
}

void frmOptions::SetTab(int index)
{
    SSTab->setCurrentIndex(index);
}

void frmOptions::ShowCenter()
{
    const QRect area = (parentWidget() ? parentWidget()->screen() : screen())->geometry();
    // A dialog not shown yet has no frame: the margins of its parent are
    // the best measure of its own.
    QSize size = frameGeometry().size();
    if (!isVisible() && parentWidget())
        size += parentWidget()->frameGeometry().size() - parentWidget()->geometry().size();
    move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
    show();
    raise();
    activateWindow();
}

void frmOptions::showEvent(QShowEvent* event)
{
    // Each opening starts from the settings as they are now: what the
    // main window or another dialog changed meanwhile is not overwritten
    // by an OK here.
    if (!event->spontaneous())
        OptionsLoad();
    QDialog::showEvent(event);
}

void frmOptions::closeEvent(QCloseEvent* event)
{
    SetApplyBold(false);
    QDialog::closeEvent(event);
}

void frmOptions::NmeaData(const QString& sline, bool bChecked)
{
    if (isVisible() && optNmeaDataFormat[1]->isChecked())
        NmeaList(sline, bChecked);
}

void frmOptions::NmeaError(const QString& sline)
{
    if (isVisible() && optNmeaDataFormat[2]->isChecked())
        NmeaList(sline, false);
}

void frmOptions::NmeaList(const QString& text, bool highlight)
{
    if (isVisible() && optNmeaListOn->isChecked())
        AddToList(lstNmeaData, text, highlight);
}

void frmOptions::PilotData(const QString& sline)
{
    if (isVisible() && optPilotListOn->isChecked() && SSTab->isTabEnabled(TabOutput))
        AddToList(lstPilotData, sline, false);
}

void frmOptions::AddToList(QListWidget* list, const QString& text, bool highlight)
{
    if (list->count() >= ListLines)
        delete list->takeItem(0);
    list->addItem(text);
    // Highlighted lines are the ones a value was taken from.
    if (highlight)
        list->selectionModel()->select(list->model()->index(list->count() - 1, 0), QItemSelectionModel::Select);
    list->scrollToBottom();
}

void frmOptions::MarkChanged()
{
    if (!m_bLoading)
        SetApplyBold(true);
}

void frmOptions::SetApplyBold(bool bold)
{
    QFont font = cmdApply->font();
    font.setBold(bold);
    cmdApply->setFont(font);
}

void frmOptions::OptionsLoad()
{
    m_bLoading = true;
    const ProfileSettings& s = m_host.Settings();
    cmbNmeaHeading->setCurrentIndex(s.m_iNmeaHeading);
    cmbNmeaBoatSpeed->setCurrentIndex(s.m_iNmeaBoatSpeed);
    for (int i = 0; i < lstNmeaSentence->topLevelItemCount(); ++i)
        lstNmeaSentence->topLevelItem(i)->setCheckState(0, s.*Sentences[i].member ? Qt::Checked : Qt::Unchecked);
    cmbNmeaTrueWind->setCurrentIndex(s.m_iNmeaTrueWind);
    txtNmeaTrueWindAverage->setText(Plain(s.m_fNmeaTrueWindAverage));
    txtNmeaWindIndicatorAverage->setText(Plain(s.m_fNmeaWindIndicatorAverage));
    txtNmeaPort->setText(Plain(s.m_iNmeaPort));
    lstNmeaData->clear();
    txtPilotPort->setText(Plain(s.m_iPilotPort));
    lstPilotData->clear();
    lblNmeaStatus->setText(m_host.NmeaStatusText());
    lblPilotStatus->setText(m_host.PilotStatusText());
    m_sDevice[0].clear();
    m_sDevice[1].clear();
    FillDevices();
    ShowDevice(0);
    ShowDevice(1);

    frmSimulate->setVisible(s.m_bSimulate);
    chkSimulate->setChecked(s.m_bSimulate);
    txtSimulateBoatSpeed->setText(Plain(s.m_fSimulateBoatSpeed));
    txtSimulateCompassOffset->setText(Plain(s.m_fSimulateCompassOffset));
    txtSimulateNoiseAngle->setText(Plain(s.m_fSimulateNoiseAngle));
    txtSimulateNoiseSpeed->setText(Plain(s.m_fSimulateNoiseSpeed));
    txtSimulateTime->setText(HoursToClock(s.m_fSimulateTime));
    txtSimulateTrueWindAngle->setText(Plain(s.m_fSimulateTrueWindAngle));
    txtSimulateTrueWindSpeed->setText(Plain(s.m_fSimulateTrueWindSpeed));
    txtSimulateVariation->setText(Plain(s.m_fSimulateVariation));
    txtSimulateWaypointBrg->setText(Plain(s.m_fSimulateWaypointBearing));
    txtSimulateWaypointRng->setText(Plain(s.m_fSimulateWaypointRange));
    SimulateWaypointShow();

    chkTrackAlarm->setChecked(s.m_bTrackAlarm);
    txtTrackAlarmLimit->setText(Plain(s.m_fTrackAlarmLimit));
    txtTrackBandwidth->setText(Plain(s.m_fTrackBandwidth));
    txtTrackDamping->setText(Plain(s.m_fTrackDamping));
    txtTrackMaxSteerTo->setText(Plain(s.m_fTrackMaxSteerTo));
    // The controls show the settings now: nothing is left to apply (also
    // after the dialog was closed with Escape).
    SetApplyBold(false);
    m_bLoading = false;
}

bool frmOptions::OptionsApply()
{
    SettingsChange change;
    change.Next = m_host.Settings();
    SettingsPart part = SettingsPart::Data;
    QString why;
    // The boxes before the first that cannot be taken are applied all the
    // same; the message then names that box.
    const bool read = OptionsRead(change, part, why);
    SettingsRefusal refusal;
    if (!m_host.ApplySettings(change, refusal)) {
        part = refusal.ePart;
        why = refusal.sWhy;
    } else if (read) {
        SetApplyBold(false);
        return true;
    }
    const QString tabs[] = {QStringLiteral("Data"), QStringLiteral("Input"), QStringLiteral("Output"),
                            QStringLiteral("Simulate"), QStringLiteral("Tracking")};
    m_setup.Message(this, Title, tabs[int(part)] + QStringLiteral(" Options Problem ") + why);
    return false;
}

bool frmOptions::OptionsRead(SettingsChange& change, SettingsPart& part, QString& why)
{
    ProfileSettings& s = change.Next;
    part = SettingsPart::Data;
    if (!ReadChoice(cmbNmeaBoatSpeed, u"Boat Speed", s.m_iNmeaBoatSpeed, why)
        || !ReadChoice(cmbNmeaHeading, u"Heading", s.m_iNmeaHeading, why))
        return false;
    for (int i = 0; i < lstNmeaSentence->topLevelItemCount(); ++i)
        s.*Sentences[i].member = lstNmeaSentence->topLevelItem(i)->checkState(0) == Qt::Checked;
    if (!ReadChoice(cmbNmeaTrueWind, u"True Wind", s.m_iNmeaTrueWind, why)
        || !ReadSetting(txtNmeaTrueWindAverage, u"Nmea", u"True Wind Average", s.m_fNmeaTrueWindAverage, why)
        || !ReadSetting(txtNmeaWindIndicatorAverage, u"Nmea", u"Wind Indicator Average",
                        s.m_fNmeaWindIndicatorAverage, why))
        return false;

    for (int link = 0; link <= 1; ++link) {
        part = link == 0 ? SettingsPart::Input : SettingsPart::Output;
        if (!ReadSetting(link == 0 ? txtNmeaPort : txtPilotPort, link == 0 ? u"Nmea" : u"Pilot", u"Port",
                         link == 0 ? s.m_iNmeaPort : s.m_iPilotPort, why))
            return false;
        change.Device[link] = m_sDevice[link];
    }

    part = SettingsPart::Simulate;
    s.m_bSimulate = chkSimulate->isChecked();
    if (!ReadSetting(txtSimulateBoatSpeed, u"Simulate", u"Boat Speed", s.m_fSimulateBoatSpeed, why)
        || !ReadSetting(txtSimulateCompassOffset, u"Simulate", u"Compass Offset", s.m_fSimulateCompassOffset, why)
        || !ReadSetting(txtSimulateNoiseAngle, u"Simulate", u"Noise Angle", s.m_fSimulateNoiseAngle, why)
        || !ReadSetting(txtSimulateNoiseSpeed, u"Simulate", u"Noise Speed", s.m_fSimulateNoiseSpeed, why))
        return false;
    double time = double(float(ClockToHours(txtSimulateTime->text())));
    if (!ProfileSettingValid(u"Simulate", u"Time", time, why))
        return false;
    s.m_fSimulateTime = float(time);
    if (!ReadSetting(txtSimulateTrueWindAngle, u"Simulate", u"True Wind Angle", s.m_fSimulateTrueWindAngle, why)
        || !ReadSetting(txtSimulateTrueWindSpeed, u"Simulate", u"True Wind Speed", s.m_fSimulateTrueWindSpeed, why)
        || !ReadSetting(txtSimulateVariation, u"Simulate", u"Variation", s.m_fSimulateVariation, why)
        || !ReadSetting(txtSimulateWaypointBrg, u"Simulate", u"Waypoint Bearing", s.m_fSimulateWaypointBearing, why)
        || !ReadSetting(txtSimulateWaypointRng, u"Simulate", u"Waypoint Range", s.m_fSimulateWaypointRange, why))
        return false;

    part = SettingsPart::Tracking;
    s.m_bTrackAlarm = chkTrackAlarm->isChecked();
    if (!ReadSetting(txtTrackAlarmLimit, u"Track", u"Alarm Limit", s.m_fTrackAlarmLimit, why))
        return false;
    // Bandwidth and damping are taken as a pair, or neither.
    float bandwidth = 0;
    float damping = 0;
    if (!ReadSetting(txtTrackBandwidth, u"Track", u"Bandwidth", bandwidth, why)
        || !ReadSetting(txtTrackDamping, u"Track", u"Damping", damping, why))
        return false;
    why = TrackControl::TrackGainsProblem(bandwidth, damping);
    if (!why.isEmpty())
        return false;
    s.m_fTrackBandwidth = bandwidth;
    s.m_fTrackDamping = damping;
    return ReadSetting(txtTrackMaxSteerTo, u"Track", u"Max SteerTo", s.m_fTrackMaxSteerTo, why);
}

void frmOptions::FillDevices()
{
    const QStringList devices = m_setup.SerialDevices();
    // The instruments may come by TCP or UDP, from any sender or from one;
    // the autopilot's sentences go by TCP or are sent as UDP datagrams. A
    // Signal K server serves either side, or both.
    const QStringList network[2] = {{QStringLiteral("tcp://host:10110"), QStringLiteral("udp://:10110"),
                                     QStringLiteral("udp://host:10110"), QStringLiteral("signalk://host:3000")},
                                    {QStringLiteral("tcp://host:10110"), QStringLiteral("udp://host:10110"),
                                     QStringLiteral("signalk://host:3000")}};
    for (int link = 0; link <= 1; ++link) {
        QComboBox* combo = cmbDevice[link];
        combo->clear();
        combo->addItems(devices);
        if (!devices.isEmpty())
            combo->insertSeparator(combo->count());
        for (const QString& pattern : network[link])
            combo->addItem(QStringLiteral("Network... ") + pattern, pattern);
        combo->setCurrentIndex(-1);
        combo->setPlaceholderText(devices.isEmpty() ? QStringLiteral("No serial device found")
                                                    : QStringLiteral("Serial devices present"));
        combo->setToolTip(QStringLiteral("Choose the device or network endpoint of this port number")
                          + (link == 0 ? QStringLiteral(" (udp://:port takes any sender on the network; "
                                                        "udp://host:port only that sender)")
                                       : QStringLiteral(" (udp://host:port sends to that host)")));
    }
}

void frmOptions::PickNetwork(int link, const QString& pattern)
{
    cmbDevice[link]->setCurrentIndex(-1);
    // The endpoint the port has now is a better start than the template
    // when it is of the same kind.
    QString endpoint = pattern;
    const QString current = lblDevice[link]->text();
    if (current.startsWith(pattern.left(pattern.indexOf(u':') + 3), Qt::CaseInsensitive))
        endpoint = current;
    const QString prompt = link == 0
        ? QStringLiteral("Instrument endpoint: tcp://host:port, udp://:port (any sender on the network), "
                         "udp://host:port (only that sender) or signalk://host:port (a Signal K server)")
        : QStringLiteral("Autopilot endpoint: tcp://host:port, udp://host:port to send, or signalk://host:port "
                         "(the Signal K server's autopilot)");
    if (!m_setup.InputBox(this, QStringLiteral("Network"), prompt, endpoint))
        return;
    endpoint = endpoint.trimmed();
    NetworkEndpoint parsed;
    SignalKEndpoint server;
    QString why;
    if (IsSignalKName(endpoint) ? !ParseSignalKEndpoint(endpoint, server, why)
                                : !ParseNetworkEndpoint(endpoint, parsed, why)) {
        m_setup.Message(this, QStringLiteral("Network"), endpoint + QStringLiteral(": ") + why + QLatin1Char('.'));
        return;
    }
    m_sDevice[link] = endpoint;
    ShowDevice(link);
    MarkChanged();
}

void frmOptions::ShowDevice(int link)
{
    QString device = m_sDevice[link];
    if (device.isEmpty()) {
        double port = 0;
        QString why;
        if (NumberText::TryParse((link == 0 ? txtNmeaPort : txtPilotPort)->text(), port)) {
            port = NumberText::RoundHalfEven(port);
            if (ProfileSettingValid(link == 0 ? u"Nmea" : u"Pilot", u"Port", port, why))
                device = SerialDeviceName(m_host.Settings().m_sProfileFile, int(port));
        }
    }
    lblDevice[link]->setText(device);
    lblDevice[link]->setToolTip(link == 0 ? QStringLiteral("Input Comm Device") : QStringLiteral("Output Comm Device"));
}

void frmOptions::SimulateWaypointShow()
{
    const double t = ClockToHours(txtSimulateTime->text());
    if (!std::isfinite(float(t))) {
        lblSimulateWaypointBrg->clear();
        lblSimulateWaypointRng->clear();
        return;
    }
    float bearing = 0;
    float range = 0;
    m_host.SimulateTime(float(t), bearing, range);
    lblSimulateWaypointBrg->setText(NumberText::Format(bearing, u"0"));
    lblSimulateWaypointRng->setText(NumberText::Format(range, u"0.0"));
}

void frmOptions::ScrollStep(bool time, int index, int value)
{
    if (value == 0)
        return;
    QScrollBar* bar = time ? vscSimulateTime[index] : vscSimulateTrueWindAngle[index];
    bar->setEnabled(false);
    const double sign = value < 0 ? 1 : -1;
    if (time) {
        const double step = index == 0 ? 1.0 / 6 : 1.0 / 60;
        const double t = ClockToHours(txtSimulateTime->text()) + sign * step;
        txtSimulateTime->setText(HoursToClock(t));
    } else {
        const double step = index == 0 ? 10 : 1;
        const double a = NumberText::Val(txtSimulateTrueWindAngle->text()) + sign * step;
        txtSimulateTrueWindAngle->setText(NumberText::Format(MathLib::HeadingWrap(a), u"0"));
    }
    {
        const QSignalBlocker blocker(bar);
        bar->setValue(0);
    }
    bar->setEnabled(true);
    if (time)
        SimulateWaypointShow();
    if (chkSimulateAutoApply->isChecked())
        cmdApply->click();
    else
        SetApplyBold(true);
}

void frmOptions::TrackResponseDraw()
{
    TrackResponse response;
    QString why;
    const bool ok = response.Read({txtTrackBandwidth->text(), txtTrackDamping->text(), txtTrackOffset->text(),
                                   txtTrackNoise->text(), txtTrackTime->text(), txtTrackMin->text(),
                                   txtTrackMax->text()},
                                  why);
    pctTrack->Draw(ok ? std::optional<TrackResponse>(response) : std::nullopt, why, m_setup.Random);
}

void frmOptions::cmdApply_Click()
{
    if (!OptionsApply())
        return;
    OptionsLoad();
    if (SSTab->currentIndex() == TabTracking)
        TrackResponseDraw();
}

void frmOptions::cmdOk_Click()
{
    if (OptionsApply())
        hide();
}

void frmOptions::cmdCancel_Click()
{
    hide();
    SetApplyBold(false);
}

void frmOptions::SSTab_Click(int index)
{
    if (index == TabTracking)
        TrackResponseDraw();
}
