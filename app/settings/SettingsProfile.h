#pragma once
// Defaults, recall and save of the main window's settings in the profile.

#include "ProfileHost.h"
#include "ProfileSettings.h"

#include <QString>
#include <functional>

// The profile file. A path given on the command line wins. Otherwise
// Vanehold.ini in the program's folder, as existing installations keep it;
// when that folder cannot be written, or is the bin/ folder of an installed
// program, Vanehold.ini in the user's configuration folder, so that saved
// settings are not lost. That folder is created when missing, and a profile
// left in the program's folder is copied there once as the starting point.
QString ProfilePath(const QString& commandLinePath = QString());
// The same decision with its inputs handed in.
QString ProfilePath(const QString& commandLinePath, const QString& programDir, const QString& userConfigDir,
                    const std::function<bool(const QString& dir)>& isWritable);

class SettingsProfile {
public:
    SettingsProfile(ProfileSettings& settings, ProfileHost& host);

    // The --profile path of the command line; empty for the default place.
    void SetCommandLinePath(const QString& path) { m_commandLinePath = path; }

    // Defaults, the profile path, the profile itself when bRecall, the
    // heading and desired boxes, then Setup mode (Manual when simulating).
    // With bRecall false every setting goes back to its default; the file
    // is not touched.
    void ProfileInitialize(bool bRecall);
    // Reads every stored setting (a missing or unreadable key keeps the
    // current value) and reopens the History and Polar windows.
    void ProfileRecall();
    // Writes every stored setting and the two windows' visibility. False
    // when the file could not be written completely.
    bool ProfileSave();

private:
    ProfileSettings& m_settings;
    ProfileHost& m_host;
    QString m_commandLinePath;
};
