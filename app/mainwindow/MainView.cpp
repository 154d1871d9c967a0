#include "MainView.h"

#include "NumberText.h"
#include "SteeringCore.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t Bits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

QString ModeText(TrackMode mode)
{
    switch (mode) {
    case TrackModeOff:
        return QStringLiteral("Off");
    case TrackModeSetup:
        return QStringLiteral("Initialize");
    case TrackModeManual:
        return QStringLiteral("Manual");
    case TrackModeTrack:
        return QStringLiteral("Track");
    }
    return QString();
}

} // namespace

const QString& MainView::Cached::Text(float value, int form, QStringView format)
{
    const uint32_t bits = Bits(value);
    if (!bMade || bits != uBits || form != iForm) {
        bMade = true;
        uBits = bits;
        iForm = form;
        sText = form == 1 ? NumberText::General(value) : NumberText::Format(value, format);
    }
    return sText;
}

MainView::MainView(QObject* parent)
    : QObject(parent)
{
    std::memset(m_iEnabled, -1, sizeof m_iEnabled);
}

void MainView::Bind(const SteeringCore& core)
{
    const SteeringCore* c = &core;
    connect(c, &SteeringCore::ModeChanged, this, &MainView::ShowMode);
    connect(c, &SteeringCore::ControlSelected, this, &MainView::ShowSelected);
    connect(c, &SteeringCore::InputStatusChanged, this, &MainView::ShowInputStatus);
    connect(c, &SteeringCore::OutputStatusChanged, this, &MainView::ShowOutputStatus);
    connect(c, &SteeringCore::AlarmShown, this, [this](const QString& text, bool) { ShowAlarm(text); });
    connect(c, &SteeringCore::TackProgress, this, &MainView::ShowTackProgress);
    connect(c, &SteeringCore::TackEnded, this, &MainView::ShowTackEnded);
    connect(c, &SteeringCore::AutoPilotChanged, this, &MainView::ShowAutoPilot);
    connect(c, &SteeringCore::DesiredChanged, this, &MainView::ShowDesired);
    connect(c, &SteeringCore::DeltaChanged, this, &MainView::ShowDelta);
    connect(c, &SteeringCore::ValueChanged, this, &MainView::ShowValue);
    connect(c, &SteeringCore::ValueCleared, this, &MainView::ClearValue);
    connect(c, &SteeringCore::ValueStale, this, &MainView::ShowValueStale);
    connect(c, &SteeringCore::WindIndicatorChanged, this, &MainView::ShowWindIndicator);
}

// What each mode sets; what it leaves out keeps the state the last mode
// gave it (Manual, entered straight from Off, leaves its own button
// disabled).
void MainView::ShowMode(TrackMode mode)
{
    m_eMode = mode;
    for (TrackMode button : {TrackModeOff, TrackModeSetup, TrackModeManual, TrackModeTrack})
        SetDown(button, button == mode);
    const auto autoPilot = [this](bool text, bool buttons) {
        SetEnabled(MainControl::txtAutoPilot, 0, text);
        SetEnabled(MainControl::cmdAutoPilot, 1, buttons);
        SetEnabled(MainControl::cmdAutoPilot, 2, buttons);
    };
    const auto options = [this](bool enabled) {
        for (int i = 1; i <= 2; ++i)
            SetEnabled(MainControl::optControl, i, enabled);
    };
    switch (mode) {
    case TrackModeOff:
        SetEnabled(MainControl::tbrTrack, TrackModeManual, false);
        SetEnabled(MainControl::tbrTrack, TrackModeTrack, false);
        autoPilot(false, false);
        SetEnabled(MainControl::lblDesired, 0, false);
        SetEnabled(MainControl::lblDelta, 0, false);
        options(false);
        break;
    case TrackModeSetup:
        SetEnabled(MainControl::tbrTrack, TrackModeManual, true);
        SetEnabled(MainControl::tbrTrack, TrackModeTrack, false);
        autoPilot(true, true);
        options(true);
        break;
    case TrackModeManual:
        SetEnabled(MainControl::tbrTrack, TrackModeTrack, true);
        autoPilot(true, true);
        options(true);
        break;
    case TrackModeTrack:
        autoPilot(false, true);
        SetEnabled(MainControl::lblDesired, 0, true);
        SetEnabled(MainControl::lblDelta, 0, true);
        break;
    }
    SetPanel(1, ModeText(mode));
}

void MainView::ShowSelected(TrackAngle angle)
{
    // Said every time, as the mode buttons: a click has already changed
    // the button the sailor pressed.
    const int selected = angle == TrackAngle::True ? 2 : 1;
    m_iControl = selected;
    emit OptionSelected(selected);
    // Only the tracked angle's desired box, buttons and error take input
    // in Track; the tracked wind's labels stand out in every mode.
    const bool track = m_eMode == TrackModeTrack;
    for (int i = 1; i <= 2; ++i) {
        SetEnabled(MainControl::cmdDesiredApp, i, track && selected == 1);
        SetEnabled(MainControl::cmdDesiredTrue, i, track && selected == 2);
        SetEnabled(MainControl::lblDelta, i, track && selected == i);
        SetEnabled(MainControl::txtDesired, i, track && selected == i);
        SetEnabled(MainControl::lblAppWindAngle, i, selected == 1);
        SetEnabled(MainControl::lblTrueWindAngle, i, selected == 2);
    }
    SetEnabled(MainControl::lblDesired, 0, track);
}

void MainView::ShowInputStatus(const QString& text)
{
    SetPanel(2, text);
}

void MainView::ShowOutputStatus(const QString& text)
{
    m_sOutputStatus = text;
    ShowOutputPanel();
}

void MainView::ShowAlarm(const QString& text)
{
    m_sAlarm = text;
    ShowOutputPanel();
}

void MainView::ShowOutputPanel()
{
    SetPanel(3, m_sAlarm.isEmpty() ? m_sOutputStatus : m_sAlarm);
}

void MainView::ShowTackProgress(const QString& word, float done, float total)
{
    if (m_sPanelBeforeTack.isNull())
        m_sPanelBeforeTack = m_sPanel[1].isNull() ? QStringLiteral("") : m_sPanel[1];
    const auto whole = [](float value) { return NumberText::Format(std::fabs(double(value)), u"0"); };
    SetPanel(1, word + QLatin1Char(' ') + whole(done) + QLatin1Char('/') + whole(total));
}

void MainView::ShowTackEnded()
{
    if (m_sPanelBeforeTack.isNull())
        return;
    SetPanel(1, m_sPanelBeforeTack);
    m_sPanelBeforeTack = QString();
}

void MainView::ShowAutoPilot(float heading, bool walk)
{
    emit AutoPilotText(m_autoPilot.Text(heading, walk ? 1 : 0, u"0.0"));
}

void MainView::ShowDesired(int index, float value)
{
    if (index == 1 || index == 2)
        emit DesiredText(index, m_desired[index].Text(value, 0, u"0"));
}

void MainView::ShowDelta(int index, float value)
{
    if (index != 1 && index != 2)
        return;
    const QString& text = m_delta[index].Text(value, 0, u"0.0");
    if (m_bDeltaShown[index] && text == m_sDeltaShown[index])
        return;
    m_bDeltaShown[index] = true;
    m_sDeltaShown[index] = text;
    emit DeltaText(index, text);
}

void MainView::ShowValue(InstrumentValue which, float value)
{
    static const QString formats[ValueCount] = {
        InstrumentState::ValueFormat(InstrumentValue(0)), InstrumentState::ValueFormat(InstrumentValue(1)),
        InstrumentState::ValueFormat(InstrumentValue(2)), InstrumentState::ValueFormat(InstrumentValue(3)),
        InstrumentState::ValueFormat(InstrumentValue(4)), InstrumentState::ValueFormat(InstrumentValue(5)),
        InstrumentState::ValueFormat(InstrumentValue(6)),
    };
    const int i = int(which);
    if (i < 0 || i >= ValueCount)
        return;
    SetValueText(i, m_values[i].Text(value, 0, formats[i]));
}

void MainView::ClearValue(InstrumentValue which)
{
    const int i = int(which);
    if (i >= 0 && i < ValueCount)
        SetValueText(i, QString());
}

void MainView::ShowValueStale(InstrumentValue which, bool stale)
{
    const int i = int(which);
    if (i < 0 || i >= ValueCount)
        return;
    emit ValueGreyed(which, stale);
    // A value that went quiet is not a number to trust: no digits.
    if (stale)
        SetValueText(i, QStringLiteral("--"));
}

void MainView::ShowWindIndicator(const QString& point, float speed)
{
    const uint32_t bits = Bits(speed);
    if (!m_sWindIndicator.isEmpty() && point == m_sWindPoint && bits == m_uWindSpeedBits)
        return;
    m_sWindPoint = point;
    m_uWindSpeedBits = bits;
    const QString text = InstrumentState::WindIndicatorText(point, speed);
    if (text == m_sWindIndicator)
        return;
    m_sWindIndicator = text;
    emit WindIndicatorText(text);
}

QString MainView::Panel(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_sPanel[panel] : QString();
}

void MainView::SetPanel(int panel, const QString& text)
{
    if (!m_sPanel[panel].isNull() && text == m_sPanel[panel])
        return;
    m_sPanel[panel] = text.isNull() ? QStringLiteral("") : text;
    emit PanelText(panel, text);
}

void MainView::SetEnabled(MainControl control, int index, bool enabled)
{
    int8_t& state = m_iEnabled[int(control)][index];
    if (state == int8_t(enabled))
        return;
    state = int8_t(enabled);
    emit ControlEnabled(control, index, enabled);
}

void MainView::SetDown(TrackMode mode, bool down)
{
    emit ModeButtonDown(int(mode), down);
}

void MainView::SetValueText(int i, const QString& text)
{
    if (m_bValueShown[i] && text == m_sValueShown[i])
        return;
    m_bValueShown[i] = true;
    m_sValueShown[i] = text;
    emit ValueText(InstrumentValue(i), text);
}
