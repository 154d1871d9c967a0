// The steering core's settings transaction: the Options dialog's Apply.

#include "SteeringCore.h"

#include "NumberText.h"
#include "ProfileStore.h"
#include "SettingLimits.h"

#include <variant>

namespace {

// The numbers the Options dialog edits, in the order Apply takes them.
struct EditedNumber {
    SettingsPart ePart;
    const char16_t* section;
    const char16_t* key;
    std::variant<int16_t ProfileSettings::*, float ProfileSettings::*> member;
};

const EditedNumber kEdited[] = {
    {SettingsPart::Data, u"Nmea", u"Boat Speed", &ProfileSettings::m_iNmeaBoatSpeed},
    {SettingsPart::Data, u"Nmea", u"Heading", &ProfileSettings::m_iNmeaHeading},
    {SettingsPart::Data, u"Nmea", u"True Wind", &ProfileSettings::m_iNmeaTrueWind},
    {SettingsPart::Data, u"Nmea", u"True Wind Average", &ProfileSettings::m_fNmeaTrueWindAverage},
    {SettingsPart::Data, u"Nmea", u"Wind Indicator Average", &ProfileSettings::m_fNmeaWindIndicatorAverage},
    {SettingsPart::Input, u"Nmea", u"Port", &ProfileSettings::m_iNmeaPort},
    {SettingsPart::Output, u"Pilot", u"Port", &ProfileSettings::m_iPilotPort},
    {SettingsPart::Simulate, u"Simulate", u"Boat Speed", &ProfileSettings::m_fSimulateBoatSpeed},
    {SettingsPart::Simulate, u"Simulate", u"Compass Offset", &ProfileSettings::m_fSimulateCompassOffset},
    {SettingsPart::Simulate, u"Simulate", u"Noise Angle", &ProfileSettings::m_fSimulateNoiseAngle},
    {SettingsPart::Simulate, u"Simulate", u"Noise Speed", &ProfileSettings::m_fSimulateNoiseSpeed},
    {SettingsPart::Simulate, u"Simulate", u"Time", &ProfileSettings::m_fSimulateTime},
    {SettingsPart::Simulate, u"Simulate", u"True Wind Angle", &ProfileSettings::m_fSimulateTrueWindAngle},
    {SettingsPart::Simulate, u"Simulate", u"True Wind Speed", &ProfileSettings::m_fSimulateTrueWindSpeed},
    {SettingsPart::Simulate, u"Simulate", u"Variation", &ProfileSettings::m_fSimulateVariation},
    {SettingsPart::Simulate, u"Simulate", u"Waypoint Bearing", &ProfileSettings::m_fSimulateWaypointBearing},
    {SettingsPart::Simulate, u"Simulate", u"Waypoint Range", &ProfileSettings::m_fSimulateWaypointRange},
    {SettingsPart::Tracking, u"Track", u"Alarm Limit", &ProfileSettings::m_fTrackAlarmLimit},
    {SettingsPart::Tracking, u"Track", u"Bandwidth", &ProfileSettings::m_fTrackBandwidth},
    {SettingsPart::Tracking, u"Track", u"Damping", &ProfileSettings::m_fTrackDamping},
    {SettingsPart::Tracking, u"Track", u"Max SteerTo", &ProfileSettings::m_fTrackMaxSteerTo},
};

double Value(const ProfileSettings& s, const EditedNumber& edited)
{
    return std::visit([&s](auto member) { return double(s.*member); }, edited.member);
}

} // namespace

bool SteeringCore::SettingsValid(const ProfileSettings& now, const ProfileSettings& next, SettingsRefusal& refusal)
{
    for (const EditedNumber& edited : kEdited) {
        // Bandwidth and damping go in as a pair the loop settles with, or
        // not at all; they come just before Max SteerTo.
        if (QStringView(edited.key) == u"Max SteerTo"
            && (next.m_fTrackBandwidth != now.m_fTrackBandwidth || next.m_fTrackDamping != now.m_fTrackDamping)) {
            refusal.sWhy = TrackControl::TrackGainsProblem(next.m_fTrackBandwidth, next.m_fTrackDamping);
            if (!refusal.sWhy.isEmpty()) {
                refusal.ePart = SettingsPart::Tracking;
                return false;
            }
        }
        // What the settings hold already was checked as it came in.
        double value = Value(next, edited);
        if (value == Value(now, edited))
            continue;
        if (!ProfileSettingValid(edited.section, edited.key, value, refusal.sWhy)) {
            refusal.ePart = edited.ePart;
            return false;
        }
    }
    return true;
}

bool SteeringCore::ApplySettings(const SettingsChange& Change, SettingsRefusal& Refusal)
{
    const ProfileSettings& n = Change.Next;
    ProfileSettings& s = m_settings;
    if (!SettingsValid(s, n, Refusal))
        return false;

    s.m_iNmeaBoatSpeed = n.m_iNmeaBoatSpeed;
    s.m_iNmeaHeading = n.m_iNmeaHeading;
    s.m_bNmeaSentenceHDG = n.m_bNmeaSentenceHDG;
    s.m_bNmeaSentenceHVM = n.m_bNmeaSentenceHVM;
    s.m_bNmeaSentenceMWV = n.m_bNmeaSentenceMWV;
    s.m_bNmeaSentenceRMB = n.m_bNmeaSentenceRMB;
    s.m_bNmeaSentenceRMC = n.m_bNmeaSentenceRMC;
    s.m_bNmeaSentenceVHW = n.m_bNmeaSentenceVHW;
    s.m_bNmeaSentenceVTG = n.m_bNmeaSentenceVTG;
    s.m_iNmeaTrueWind = n.m_iNmeaTrueWind;
    s.m_fNmeaTrueWindAverage = n.m_fNmeaTrueWindAverage;
    s.m_fNmeaWindIndicatorAverage = n.m_fNmeaWindIndicatorAverage;

    if (!ApplyPort(0, n.m_iNmeaPort, Change.Device[0], Refusal)
        || !ApplyPort(1, n.m_iPilotPort, Change.Device[1], Refusal))
        return false;

    if (n.m_bSimulate != s.m_bSimulate) {
        TrackSetOff();
        s.m_bSimulate = n.m_bSimulate;
        TrackSetSetup();
    }
    s.m_fSimulateBoatSpeed = n.m_fSimulateBoatSpeed;
    s.m_fSimulateCompassOffset = n.m_fSimulateCompassOffset;
    s.m_fSimulateNoiseAngle = n.m_fSimulateNoiseAngle;
    s.m_fSimulateNoiseSpeed = n.m_fSimulateNoiseSpeed;
    // Through the simulator, so that the waypoint moves with the time
    // (from where it stood before this change).
    float bearing = 0;
    float range = 0;
    m_simulator->SimulateTime(n.m_fSimulateTime, bearing, range);
    s.m_fSimulateTrueWindAngle = n.m_fSimulateTrueWindAngle;
    s.m_fSimulateTrueWindSpeed = n.m_fSimulateTrueWindSpeed;
    s.m_fSimulateVariation = n.m_fSimulateVariation;
    s.m_fSimulateWaypointBearing = n.m_fSimulateWaypointBearing;
    s.m_fSimulateWaypointRange = n.m_fSimulateWaypointRange;

    s.m_bTrackAlarm = n.m_bTrackAlarm;
    s.m_fTrackAlarmLimit = n.m_fTrackAlarmLimit;
    const bool gains = n.m_fTrackBandwidth != s.m_fTrackBandwidth || n.m_fTrackDamping != s.m_fTrackDamping;
    s.m_fTrackBandwidth = n.m_fTrackBandwidth;
    s.m_fTrackDamping = n.m_fTrackDamping;
    // While tracking, the loop takes the new gains at once rather than at
    // the next press of Track.
    if (gains && s.m_eTrackMode == TrackModeTrack)
        TrackSetTrack();
    s.m_fTrackMaxSteerTo = n.m_fTrackMaxSteerTo;
    return true;
}

bool SteeringCore::ApplyPort(int link, int16_t port, const QString& device, SettingsRefusal& refusal)
{
    ProfileSettings& s = m_settings;
    int16_t& member = link == 0 ? s.m_iNmeaPort : s.m_iPilotPort;
    bool deviceChanged = false;
    if (!device.isEmpty()) {
        const QString number = NumberText::Format(double(port), u"0");
        deviceChanged = SerialDeviceName(s.m_sProfileFile, port) != device;
        if (deviceChanged && !ProfileStore::Write(s.m_sProfileFile, u"Ports", number, device)) {
            refusal.ePart = link == 0 ? SettingsPart::Input : SettingsPart::Output;
            refusal.sWhy = QStringLiteral("The device of port ") + number + QStringLiteral(" could not be stored in ")
                + s.m_sProfileFile + QLatin1Char('.');
            return false;
        }
    }
    // The autopilot's link counts as open while its sentences go out on
    // the instrument port too: otherwise they would stop with nothing said.
    const bool open = link == 0 ? NmeaPortOpen() : PilotPortOpen();
    if ((port != member || deviceChanged) && open) {
        TrackSetOff();
        member = port;
        TrackSetSetup();
    }
    member = port;
    return true;
}

void SteeringCore::ConnectTraffic(QObject* Receiver, const LinkTraffic& Traffic)
{
    if (Traffic.NmeaLine)
        connect(this, &SteeringCore::NmeaLine, Receiver, Traffic.NmeaLine);
    if (Traffic.NmeaLineError)
        connect(this, &SteeringCore::NmeaLineError, Receiver, Traffic.NmeaLineError);
    if (Traffic.PilotSent)
        connect(this, &SteeringCore::PilotSent, Receiver, Traffic.PilotSent);
    if (Traffic.NmeaLinkStatus)
        connect(this, &SteeringCore::NmeaLinkStatus, Receiver, Traffic.NmeaLinkStatus);
    if (Traffic.PilotLinkStatus)
        connect(this, &SteeringCore::PilotLinkStatus, Receiver, Traffic.PilotLinkStatus);
    if (Traffic.NmeaLinesCleared)
        connect(this, &SteeringCore::NmeaLinesCleared, Receiver, Traffic.NmeaLinesCleared);
    if (Traffic.PilotLinesCleared)
        connect(this, &SteeringCore::PilotLinesCleared, Receiver, Traffic.PilotLinesCleared);
}
