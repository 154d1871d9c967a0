// What the ~40 reads at start and the save at close cost, on a typical
// profile and on one of 50 MB. The file is read once per load, not once per
// key; a save replaces it once, however many keys change.
#include "NumberText.h"
#include "ProfileStore.h"
#include "SettingsProfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

class NullHost : public ProfileHost {
public:
    void ShowProfileValues(const QString&, const QString&, const QString&) override {}
    void ShowHistoryWindow() override {}
    void ShowPolarWindow() override {}
    bool HistoryWindowVisible() const override { return true; }
    bool PolarWindowVisible() const override { return false; }
    void TrackSetSetup() override {}
    void TrackSetManual() override {}
};

// A profile as a season at sea leaves it: the main settings plus the other
// windows' and the chart's sections.
QString WriteTypicalProfile(const QTemporaryDir& dir)
{
    const QString file = dir.filePath(QStringLiteral("Vanehold.ini"));
    ProfileSettings settings;
    settings.m_sProfileFile = file;
    NullHost host;
    SettingsProfile(settings, host).ProfileSave();
    for (int k = 1; k <= 5; ++k) {
        const QString section = QStringLiteral("History Trace #") + NumberText::Format(double(k), u"0");
        for (const char16_t* key : {u"Back Color", u"Color", u"Name", u"Range", u"Scale", u"Scale Max",
                                    u"Scale Min", u"Style"})
            ProfileStore::Write(file, section, key, u" 16777215");
    }
    for (const char16_t* key : {u"File 1", u"File 2", u"Plot Average", u"Speed Range", u"Boat Type"})
        ProfileStore::Write(file, u"Polar Data", key, u"Fast Sled 60ft.pol");
    return file;
}

// Settings bound to a typical profile in a temporary folder.
struct ProfileRig {
    QTemporaryDir dir;
    ProfileSettings settings;
    NullHost host;
    SettingsProfile profile{settings, host};
    ProfileRig() { settings.m_sProfileFile = WriteTypicalProfile(dir); }
};

// The typical profile behind a logbook of about 50 MB that someone kept in
// it, so that every section of the program's lies past it.
struct BigProfileRig {
    QTemporaryDir dir;
    ProfileSettings settings;
    NullHost host;
    SettingsProfile profile{settings, host};
    QString other;
    BigProfileRig()
    {
        const QString file = WriteTypicalProfile(dir);
        settings.m_sProfileFile = file;
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        const QByteArray typical = f.readAll();
        f.close();
        QByteArray big = "[Logbook]\n";
        big.reserve(52 * 1000 * 1000);
        for (int line = 0; big.size() < 50 * 1000 * 1000; ++line)
            big += "Entry " + QByteArray::number(line) + "=Reefed at the buoy, wind 22 kn, heading 215\n";
        f.open(QIODevice::WriteOnly);
        f.write(big + typical);
        f.close();
        other = dir.filePath(QStringLiteral("Other.ini"));
        ProfileStore::Write(other, u"Nmea", u"Port", u"1");
    }
    // The chart's keys, as the History window reads them at its load.
    void ReadChartKeys()
    {
        QString value;
        for (int k = 1; k <= 5; ++k) {
            const QString section = QStringLiteral("History Trace #") + NumberText::Format(double(k), u"0");
            for (const char16_t* key : {u"Back Color", u"Color", u"Name", u"Range", u"Scale", u"Scale Max",
                                        u"Scale Min", u"Style"})
                benchmark::DoNotOptimize(ProfileStore::Read(settings.m_sProfileFile, section, key, u"", value));
        }
    }
};

// Start: the main settings and the chart's, from a file not read before.
void BM_BigProfileStart(benchmark::State& state)
{
    BigProfileRig rig;
    QString value;
    for (auto _ : state) {
        state.PauseTiming();
        // Another profile read in between: the big one is read afresh.
        ProfileStore::Read(rig.other, u"Nmea", u"Port", u"", value);
        state.ResumeTiming();
        rig.profile.ProfileRecall();
        rig.ReadChartKeys();
    }
}
BENCHMARK(BM_BigProfileStart)->Unit(benchmark::kMillisecond)->Iterations(3);

// Exit: the main settings saved with the heading changed, then the chart's
// keys written one by one, unchanged.
void BM_BigProfileExit(benchmark::State& state)
{
    BigProfileRig rig;
    float heading = 0;
    for (auto _ : state) {
        rig.settings.m_fAutoPilot = ++heading;
        benchmark::DoNotOptimize(rig.profile.ProfileSave());
        for (int k = 1; k <= 5; ++k) {
            const QString section = QStringLiteral("History Trace #") + NumberText::Format(double(k), u"0");
            for (const char16_t* key : {u"Back Color", u"Color", u"Name", u"Range", u"Scale", u"Scale Max",
                                        u"Scale Min", u"Style"})
                ProfileStore::Write(rig.settings.m_sProfileFile, section, key, u" 16777215");
        }
    }
}
BENCHMARK(BM_BigProfileExit)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProfileReadLastKey(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = WriteTypicalProfile(dir);
    QString value;
    for (auto _ : state)
        benchmark::DoNotOptimize(ProfileStore::Read(file, u"Polar Data", u"Boat Type", u"", value));
}
BENCHMARK(BM_ProfileReadLastKey);

void BM_ProfileRecall(benchmark::State& state)
{
    ProfileRig rig;
    for (auto _ : state)
        rig.profile.ProfileRecall();
}
BENCHMARK(BM_ProfileRecall)->Unit(benchmark::kMicrosecond);

void BM_ProfileSaveChanged(benchmark::State& state)
{
    ProfileRig rig;
    float heading = 0;
    for (auto _ : state) {
        // Three values change; the file is still replaced once.
        heading += 1;
        rig.settings.m_fAutoPilot = heading;
        rig.settings.m_iNmeaPort = static_cast<int16_t>(1 + static_cast<int>(heading) % 9);
        rig.settings.m_bSimulate = !rig.settings.m_bSimulate;
        benchmark::DoNotOptimize(rig.profile.ProfileSave());
    }
}
BENCHMARK(BM_ProfileSaveChanged)->Unit(benchmark::kMillisecond);

void BM_ProfileSaveAllChanged(benchmark::State& state)
{
    ProfileRig rig;
    bool second = false;
    for (auto _ : state) {
        // Every stored value changes from one save to the next.
        second = !second;
        ProfileSettings& s = rig.settings;
        s.m_iNmeaBoatSpeed = s.m_iNmeaHeading = s.m_iNmeaTrueWind = second ? 0 : 1;
        s.m_iNmeaPort = s.m_iPilotPort = second ? 7 : 5;
        s.m_bNmeaSentenceHDG = s.m_bNmeaSentenceHVM = s.m_bNmeaSentenceMWV = s.m_bNmeaSentenceRMB = !second;
        s.m_bNmeaSentenceRMC = s.m_bNmeaSentenceVHW = s.m_bNmeaSentenceVTG = !second;
        s.m_bSimulate = s.m_bTrackAlarm = second;
        for (float* f : {&s.m_fNmeaTrueWindAverage, &s.m_fNmeaWindIndicatorAverage, &s.m_fAutoPilot,
                         &s.m_fSimulateBoatSpeed, &s.m_fSimulateCompassOffset, &s.m_fSimulateNoiseAngle,
                         &s.m_fSimulateNoiseSpeed, &s.m_fSimulateTrueWindAngle, &s.m_fSimulateTrueWindSpeed,
                         &s.m_fSimulateVariation, &s.m_fSimulateWaypointBearing, &s.m_fSimulateWaypointRange,
                         &s.m_fTrackAlarmLimit, &s.m_fTrackBandwidth, &s.m_fTrackDamping, &s.m_fDesired[1],
                         &s.m_fDesired[2], &s.m_fTrackMaxSteerTo})
            *f = second ? 3 : 4;
        benchmark::DoNotOptimize(rig.profile.ProfileSave());
    }
}
BENCHMARK(BM_ProfileSaveAllChanged)->Unit(benchmark::kMillisecond);

void BM_ProfileSaveUnchanged(benchmark::State& state)
{
    ProfileRig rig;
    for (auto _ : state)
        benchmark::DoNotOptimize(rig.profile.ProfileSave());
}
BENCHMARK(BM_ProfileSaveUnchanged)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
