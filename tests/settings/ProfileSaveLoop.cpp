// Saves the settings again and again, alternating two sets, until it is
// killed. Prints "ready" once the first save is whole.
#include "SettingsProfile.h"

#include <cstdio>

namespace {

class Host : public ProfileHost {
public:
    bool polarVisible = false;
    void ShowProfileValues(const QString&, const QString&, const QString&) override {}
    void ShowHistoryWindow() override {}
    void ShowPolarWindow() override {}
    bool HistoryWindowVisible() const override { return false; }
    bool PolarWindowVisible() const override { return polarVisible; }
    void TrackSetSetup() override {}
    void TrackSetManual() override {}
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    ProfileSettings settings;
    Host host;
    SettingsProfile profile(settings, host);
    settings.m_sProfileFile = QString::fromLocal8Bit(argv[1]);
    for (bool second = false, first = true;; second = !second, first = false) {
        // The first and the last key of a save differ between the sets.
        settings.SetDefaults();
        host.polarVisible = second;
        if (second) {
            settings.m_iNmeaBoatSpeed = 0;
            settings.m_fAutoPilot = 212.5f;
            settings.m_fDesired[1] = -38;
        }
        if (!profile.ProfileSave())
            return 1;
        if (first) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
