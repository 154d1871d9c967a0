// Vanehold: steers a yacht's own autopilot so that the boat holds a chosen
// apparent or true wind angle.

#include "TerminationSignals.h"
#include "frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication::setApplicationName(QStringLiteral("Vanehold"));
    QApplication::setApplicationVersion(QStringLiteral(VANEHOLD_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Steers the boat's own autopilot (NMEA 0183 APB sentences) so that the boat holds a chosen "
                       "apparent or true wind angle, from the wind, speed, compass and GPS instruments."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("Profile file to use instead of Vanehold.ini beside the "
                                                    "program (or in the user's configuration folder)."),
                                     QStringLiteral("PATH"));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Simulate the instruments for this run, as if Simulate were "
                                                     "switched on; the profile keeps its own setting."));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the main window after a few seconds, then "
                                                 "close."),
                                  QStringLiteral("PNG"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(profile);
    parser.addOption(simulate);
    parser.addOption(screenshot);
    // --help and --version work without a display: they are answered
    // before the application (which needs one) exists.
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            QString text = parser.helpText();
            text.replace(QStringLiteral("<executable_name>"), QStringLiteral("vanehold"));
            std::fputs(qPrintable(text), stdout);
            return 0;
        }
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            std::printf("Vanehold %s\n", VANEHOLD_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    // Before anything else: a shutdown from now on closes in order.
    TerminationSignals termination;
    parser.process(app);

    MainWindowSetup setup;
    setup.Core.ProfileFile = parser.value(profile);
    setup.Core.ForceSimulate = parser.isSet(simulate);
    frmMain window(setup);
    QObject::connect(&termination, &TerminationSignals::Requested, &window, &frmMain::CloseForShutdown);
    window.Form_Load();
    window.show();

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(6500, &window, [&window, file] {
            window.grab().save(file);
            window.close();
        });
    }
    return app.exec();
}
