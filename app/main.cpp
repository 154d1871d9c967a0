// Vanehold: steers a yacht's own autopilot so that the boat holds a chosen
// apparent or true wind angle.

#include "ManualOptions.h"
#include "NmeaCapture.h"
#include "NmeaReplay.h"
#include "NumberText.h"
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QFile>
#include <QFileInfo>

#include <QApplication>
#include <QMessageBox>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// The capture, read as it is replayed; null (and said) when it cannot be
// read.
std::unique_ptr<NmeaCaptureReader> OpenCapture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vanehold: cannot read %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return nullptr;
    }
    return NmeaCaptureReader::FromFile(path, QFileInfo(file).lastModified());
}

int RunReport(const QString& path, const QString& profile)
{
    if (path.isEmpty()) {
        std::fprintf(stderr, "vanehold: --report needs --replay FILE\n");
        return 2;
    }
    auto capture = OpenCapture(path);
    if (!capture)
        return 1;
    ReplaySession session(std::move(capture));
    CoreSetup setup;
    setup.ProfileFile = profile;
    session.Prepare(setup);
    SteeringCore core(setup);
    core.ProfileInitialize(true);
    std::fputs(qPrintable(session.Report(core)), stdout);
    // A file that could not be read to its end reports only what was read.
    const QString error = session.Replay().Capture().Error();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vanehold: reading %s stopped: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication::setApplicationName(QStringLiteral("Vanehold"));
    QApplication::setApplicationVersion(QStringLiteral(VANEHOLD_VERSION));

    QCommandLineParser parser;
    // The texts come from the manual page, so that --help and man vanehold
    // say the same; -h, -v and --help-all keep Qt's words, which it quotes.
    parser.setApplicationDescription(QStringLiteral(VANEHOLD_HELP_DESCRIPTION));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption profile(QStringLiteral("profile"), QStringLiteral(VANEHOLD_HELP_PROFILE),
                                     QStringLiteral("PATH"));
    const QCommandLineOption simulate(QStringLiteral("simulate"), QStringLiteral(VANEHOLD_HELP_SIMULATE));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the main window after a few seconds, then "
                                                 "close."),
                                  QStringLiteral("PNG"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption record(QStringLiteral("record"), QStringLiteral(VANEHOLD_HELP_RECORD),
                                    QStringLiteral("FILE"));
    const QCommandLineOption replay(QStringLiteral("replay"), QStringLiteral(VANEHOLD_HELP_REPLAY),
                                    QStringLiteral("FILE"));
    const QCommandLineOption speed(QStringLiteral("speed"), QStringLiteral(VANEHOLD_HELP_SPEED), QStringLiteral("X"),
                                   QStringLiteral("1"));
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral(VANEHOLD_HELP_REPORT));
    parser.addOption(profile);
    parser.addOption(simulate);
    parser.addOption(screenshot);
    parser.addOption(record);
    parser.addOption(replay);
    parser.addOption(speed);
    parser.addOption(report);
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

    // A report needs no display.
    for (int i = 1; i < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--report")) {
            QCoreApplication app(argc, argv);
            parser.process(app);
            return RunReport(parser.value(replay), parser.value(profile));
        }
    }

    QApplication app(argc, argv);
    // Before anything else: a shutdown from now on closes in order.
    TerminationSignals termination;
    parser.process(app);

    MainWindowSetup setup;
    setup.CoreThread = true;
    setup.Core.ProfileFile = parser.value(profile);
    setup.Core.ForceSimulate = parser.isSet(simulate);
    std::unique_ptr<ReplaySession> session;
    if (parser.isSet(replay)) {
        auto capture = OpenCapture(parser.value(replay));
        if (!capture)
            return 1;
        session = std::make_unique<ReplaySession>(std::move(capture));
        session->Prepare(setup.Core);
        setup.Core.StampReadings = true;
    }
    frmMain window(setup);
    QObject::connect(&termination, &TerminationSignals::Requested, &window, &frmMain::CloseForShutdown);
    QFile recordFile(parser.value(record));
    std::unique_ptr<RecordWriter> recording;
    if (parser.isSet(record)) {
        if (!recordFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "vanehold: cannot write %s: %s\n", qPrintable(recordFile.fileName()),
                         qPrintable(recordFile.errorString()));
            return 1;
        }
        recordFile.write("# Vanehold record: local time, < received, > written, - never written, ! alarm\n");
        recording = std::make_unique<RecordWriter>(window.Core(), recordFile);
        // Written as the core handles each line, with the time it handles
        // it at.
        window.Runner().Adopt(recording.get());
    }
    window.Form_Load();
    window.show();
    if (session) {
        double factor = 1;
        if (!NumberText::TryParse(parser.value(speed), factor) || !(factor > 0))
            factor = 1;
        // The replay feeds the core from the core's thread.
        window.Runner().Ask([&](SteeringCore& core) { session->Start(core, factor); });
        const QString path = parser.value(replay);
        QObject::connect(&session->Replay(), &NmeaReplay::Finished, &window, [&window, &session, path] {
            const QString error = session->Replay().Capture().Error();
            if (!error.isEmpty())
                QMessageBox::warning(&window, QStringLiteral("Vanehold"),
                                     QStringLiteral("Reading %1 stopped: %2").arg(path, error));
        });
    }

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(6500, &window, [&window, file] {
            window.grab().save(file);
            window.close();
        });
    }
    const int result = app.exec();
    // The recording is the core's: it stops on the core's thread.
    window.Runner().Ask([&](SteeringCore&) { recording.reset(); });
    return result;
}
