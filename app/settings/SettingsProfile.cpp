#include "SettingsProfile.h"

#include "NumberText.h"
#include "ProfileStore.h"
#include "SettingLimits.h"
#include "SystemLib.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVector>

#include <array>
#include <type_traits>
#include <variant>

namespace {

const QString kProfileName = QStringLiteral("Vanehold.ini");

enum class Form { Plain, Field, Bool };

struct Row {
    const char16_t* section;
    const char16_t* key;
    Form form;
    std::variant<int16_t*, float*, bool*> member;
};

// Every stored setting, in the order it is read and written.
std::array<Row, 33> Rows(ProfileSettings& s)
{
    return {{
        {u"Nmea", u"Boat Speed", Form::Plain, &s.m_iNmeaBoatSpeed},
        {u"Nmea", u"Heading", Form::Plain, &s.m_iNmeaHeading},
        {u"Nmea", u"Port", Form::Plain, &s.m_iNmeaPort},
        {u"Nmea", u"Sentence HDG", Form::Bool, &s.m_bNmeaSentenceHDG},
        {u"Nmea", u"Sentence HVM", Form::Bool, &s.m_bNmeaSentenceHVM},
        {u"Nmea", u"Sentence MWV", Form::Bool, &s.m_bNmeaSentenceMWV},
        {u"Nmea", u"Sentence RMB", Form::Bool, &s.m_bNmeaSentenceRMB},
        {u"Nmea", u"Sentence RMC", Form::Bool, &s.m_bNmeaSentenceRMC},
        {u"Nmea", u"Sentence VHW", Form::Bool, &s.m_bNmeaSentenceVHW},
        {u"Nmea", u"Sentence VTG", Form::Bool, &s.m_bNmeaSentenceVTG},
        {u"Nmea", u"True Wind", Form::Plain, &s.m_iNmeaTrueWind},
        {u"Nmea", u"True Wind Average", Form::Plain, &s.m_fNmeaTrueWindAverage},
        {u"Nmea", u"Wind Indicator Average", Form::Plain, &s.m_fNmeaWindIndicatorAverage},
        {u"Pilot", u"Port", Form::Field, &s.m_iPilotPort},
        {u"Pilot", u"Bearing", Form::Plain, &s.m_fAutoPilot},
        {u"Simulate", u"Nmea", Form::Bool, &s.m_bSimulate},
        {u"Simulate", u"Boat Speed", Form::Plain, &s.m_fSimulateBoatSpeed},
        {u"Simulate", u"Compass Offset", Form::Field, &s.m_fSimulateCompassOffset},
        {u"Simulate", u"Noise Angle", Form::Field, &s.m_fSimulateNoiseAngle},
        {u"Simulate", u"Noise Speed", Form::Field, &s.m_fSimulateNoiseSpeed},
        {u"Simulate", u"True Wind Angle", Form::Plain, &s.m_fSimulateTrueWindAngle},
        {u"Simulate", u"True Wind Speed", Form::Plain, &s.m_fSimulateTrueWindSpeed},
        {u"Simulate", u"Variation", Form::Plain, &s.m_fSimulateVariation},
        {u"Simulate", u"Waypoint Bearing", Form::Plain, &s.m_fSimulateWaypointBearing},
        {u"Simulate", u"Waypoint Range", Form::Plain, &s.m_fSimulateWaypointRange},
        {u"Track", u"Alarm", Form::Bool, &s.m_bTrackAlarm},
        {u"Track", u"Alarm Limit", Form::Field, &s.m_fTrackAlarmLimit},
        {u"Track", u"Bandwidth", Form::Field, &s.m_fTrackBandwidth},
        {u"Track", u"Damping", Form::Field, &s.m_fTrackDamping},
        {u"Track", u"Desired 1", Form::Field, &s.m_fDesired[1]},
        {u"Track", u"Desired 2", Form::Field, &s.m_fDesired[2]},
        {u"Track", u"Max SteerTo", Form::Field, &s.m_fTrackMaxSteerTo},
        {u"Display", u"Night Mode", Form::Bool, &s.m_bNightMode},
    }};
}

QString NumberForm(double value, Form form)
{
    return form == Form::Field ? NumberText::Field(value) : NumberText::Plain(value);
}

QString ValueText(const Row& row)
{
    return std::visit(
        [&row](auto* member) -> QString {
            if constexpr (std::is_same_v<decltype(member), bool*>)
                return ProfileStore::BoolText(*member);
            else
                return NumberForm(static_cast<double>(*member), row.form);
        },
        row.member);
}

QStringView View(const char16_t* text)
{
    return QStringView(text);
}

// A stored value is taken only when it converts and lies within the
// setting's limits; otherwise the member keeps what it holds.
template <typename T>
void Recall(const QString& file, const Row& row, T& member)
{
    T value = member;
    if (!ProfileGet(file, View(row.section), View(row.key), value))
        return;
    if constexpr (!std::is_same_v<T, bool>) {
        double checked = static_cast<double>(value);
        QString why;
        if (!ProfileSettingValid(View(row.section), View(row.key), checked, why))
            return;
        value = static_cast<T>(checked);
    }
    member = value;
}

const char16_t* const kHistoryWindow = u"History Window";
const char16_t* const kPolarWindow = u"Polar Window";
const char16_t* const kVisible = u"Visible";

bool DirWritable(const QString& dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

// An installed program (in bin/, its data in ../share/vanehold) never writes
// beside itself, also when it could (run as root): that folder belongs to
// the package manager.
bool InstalledProgram(const QString& dir)
{
    const QDir program(dir);
    return program.dirName() == QLatin1String("bin")
        && QFileInfo(program.filePath(QStringLiteral("../share/vanehold"))).isDir();
}

} // namespace

QString ProfilePath(const QString& commandLinePath)
{
    return ProfilePath(commandLinePath, QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/Vanehold"),
                       [](const QString& dir) { return DirWritable(dir) && !InstalledProgram(dir); });
}

QString ProfilePath(const QString& commandLinePath, const QString& programDir, const QString& userConfigDir,
                    const std::function<bool(const QString& dir)>& isWritable)
{
    if (!commandLinePath.isEmpty())
        return QFileInfo(commandLinePath).absoluteFilePath();
    const QString beside = QDir(programDir).filePath(kProfileName);
    if (isWritable(programDir))
        return beside;
    QDir().mkpath(userConfigDir);
    const QString own = QDir(userConfigDir).filePath(kProfileName);
    if (!QFileInfo::exists(own) && QFileInfo::exists(beside)) {
        QFile::copy(beside, own);
        QFile::setPermissions(own, QFile::permissions(own) | QFile::ReadOwner | QFile::WriteOwner);
    }
    return own;
}

SettingsProfile::SettingsProfile(ProfileSettings& settings, ProfileHost& host)
    : m_settings(settings), m_host(host)
{
}

void SettingsProfile::ProfileInitialize(bool bRecall)
{
    m_settings.SetDefaults();
    m_settings.m_sProfileFile = ProfilePath(m_commandLinePath);
    if (bRecall)
        ProfileRecall();
    m_host.ShowProfileValues(NumberText::Format(m_settings.m_fAutoPilot, u"0.0"),
                             NumberText::Format(m_settings.m_fDesired[1], u"0"),
                             NumberText::Format(m_settings.m_fDesired[2], u"0"));
    m_host.TrackSetSetup();
    if (m_settings.m_bSimulate)
        m_host.TrackSetManual();
}

void SettingsProfile::ProfileRecall()
{
    const QString& file = m_settings.m_sProfileFile;
    for (const Row& row : Rows(m_settings))
        std::visit([&](auto* member) { Recall(file, row, *member); }, row.member);

    bool historyVisible = false;
    ProfileGet(file, View(kHistoryWindow), View(kVisible), historyVisible);
    if (historyVisible)
        m_host.ShowHistoryWindow();
    bool polarVisible = false;
    ProfileGet(file, View(kPolarWindow), View(kVisible), polarVisible);
    if (polarVisible)
        m_host.ShowPolarWindow();
}

bool SettingsProfile::ProfileSave()
{
    // One replacement of the file for the whole save: a save cut short
    // leaves the old settings, never a mix of old and new.
    QVector<ProfileStore::Entry> entries;
    for (const Row& row : Rows(m_settings))
        entries.append({View(row.section), View(row.key), ValueText(row)});
    entries.append({View(kHistoryWindow), View(kVisible), ProfileStore::BoolText(m_host.HistoryWindowVisible())});
    entries.append({View(kPolarWindow), View(kVisible), ProfileStore::BoolText(m_host.PolarWindowVisible())});
    return ProfileStore::WriteBatch(m_settings.m_sProfileFile, entries);
}
