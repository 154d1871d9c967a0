// Vanehold: steers a yacht's own autopilot so that the boat holds a chosen
// apparent or true wind angle.

#include "NmeaCapture.h"
#include "NmeaReplay.h"
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QFile>
#include <QFileInfo>

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Every line received and every sentence sent, each with its time, one
// line each, written as it happens so that a power cut loses nothing.
class NmeaRecordFile {
public:
    explicit NmeaRecordFile(SteeringCore& core)
        : m_core(core)
    {
    }
    bool Open(const QString& path)
    {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            std::fprintf(stderr, "vanehold: cannot write %s: %s\n", qPrintable(path), qPrintable(m_file.errorString()));
            return false;
        }
        m_file.write("# Vanehold record: local time, < received, > sent\n");
        m_file.flush();
        QObject::connect(&m_core, &SteeringCore::LineReceived, &m_core,
                         [this](const QString& line) { Write(QLatin1Char('<'), line); });
        QObject::connect(&m_core, &SteeringCore::PilotSent, &m_core,
                         [this](const QString& line) { Write(QLatin1Char('>'), line); });
        return true;
    }

private:
    void Write(QChar direction, const QString& line)
    {
        m_file.write(NmeaRecordLine(m_core.Now(), direction, line).toLatin1() + '\n');
        m_file.flush();
    }
    SteeringCore& m_core;
    QFile m_file;
};

// A record or capture fed through the program instead of the instrument
// port: its own ports, clock and link timer.
class ReplaySource {
public:
    static std::unique_ptr<ReplaySource> Load(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "vanehold: cannot read %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
            return nullptr;
        }
        auto source = std::make_unique<ReplaySource>();
        source->m_capture = NmeaCaptureRead(QString::fromLatin1(file.readAll()), QFileInfo(file).lastModified());
        return source;
    }
    void Prepare(CoreSetup& setup)
    {
        setup.ManualTimers = true;
        setup.Clock = [this] { return m_clock; };
        setup.WallClock = [this] { return QDateTime::fromMSecsSinceEpoch(m_clock); };
        setup.Ports = [this](QObject* parent) {
            auto* port = new ReplayPort(parent);
            if (!m_port)
                m_port = port;
            return port;
        };
    }
    // The replay replaces the instruments, simulated ones too.
    void Start(SteeringCore& core, double speed)
    {
        if (core.Settings().m_bSimulate) {
            core.Settings().m_bSimulate = false;
            core.TrackSetSetup();
        }
        m_replay = std::make_unique<NmeaReplay>(core, *m_port, std::move(m_capture), m_clock);
        if (speed > 0)
            m_replay->Start(speed);
    }
    NmeaReplay& Replay() { return *m_replay; }
    const int64_t& Clock() const { return m_clock; }

private:
    NmeaCapture m_capture;
    int64_t m_clock = 0;
    ReplayPort* m_port = nullptr;
    std::unique_ptr<NmeaReplay> m_replay;
};

int RunReport(const QString& path, const QString& profile)
{
    if (path.isEmpty()) {
        std::fprintf(stderr, "vanehold: --report needs --replay FILE\n");
        return 2;
    }
    std::unique_ptr<ReplaySource> source = ReplaySource::Load(path);
    if (!source)
        return 1;
    CoreSetup setup;
    setup.ProfileFile = profile;
    source->Prepare(setup);
    SteeringCore core(setup);
    core.ProfileInitialize(true);
    ReplayReport report(core, source->Clock());
    source->Start(core, 0);
    core.TrackSetManual();
    // Track from the first control step, so that it holds the angle the
    // boat was sailing then, as a sailor pressing Track would.
    bool tracked = false;
    source->Replay().RunAll([&] {
        if (!tracked && report.Steps() > 0) {
            tracked = true;
            core.TrackSetTrack();
        }
    });
    std::fputs(qPrintable(report.Text(source->Replay().Capture())), stdout);
    return 0;
}

} // namespace

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
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Write every line received and every sentence sent, with its "
                                                   "time, to FILE."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption replay(QStringLiteral("replay"),
                                    QStringLiteral("Feed a record or an NMEA capture through the program with its "
                                                   "own timing, instead of the instrument port."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Replay X times faster than it was sailed (default 1)."),
                                   QStringLiteral("X"), QStringLiteral("1"));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("With --replay: no window; replay as fast as possible in Track "
                                                   "mode (entered at the first control step) and print a summary."));
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
    setup.Core.ProfileFile = parser.value(profile);
    setup.Core.ForceSimulate = parser.isSet(simulate);
    std::unique_ptr<ReplaySource> source;
    if (parser.isSet(replay)) {
        source = ReplaySource::Load(parser.value(replay));
        if (!source)
            return 1;
        source->Prepare(setup.Core);
    }
    frmMain window(setup);
    QObject::connect(&termination, &TerminationSignals::Requested, &window, &frmMain::CloseForShutdown);
    std::unique_ptr<NmeaRecordFile> recording;
    if (parser.isSet(record)) {
        recording = std::make_unique<NmeaRecordFile>(window.Core());
        if (!recording->Open(parser.value(record)))
            return 1;
    }
    window.Form_Load();
    window.show();
    if (source) {
        bool ok = false;
        const double factor = parser.value(speed).toDouble(&ok);
        source->Start(window.Core(), ok && factor > 0 ? factor : 1);
    }

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(6500, &window, [&window, file] {
            window.grab().save(file);
            window.close();
        });
    }
    return app.exec();
}
