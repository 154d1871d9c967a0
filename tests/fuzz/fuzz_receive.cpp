// libFuzzer target: any bytes on the instrument line, in Track mode. What
// leaves for the autopilot must be a well-formed APB sentence with a heading
// from 0 to 360, and no step may turn further than the proportional answer
// to a 180 degree error.

#include "FakeSerialPort.h"
#include "SteeringCore.h"

#include <QCoreApplication>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char* what, const QString& line)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(line));
    std::abort();
}

double Heading(const QString& line)
{
    const int star = line.lastIndexOf(QLatin1Char('*'));
    if (!line.startsWith(QLatin1String("$ECAPB,")) || star < 0)
        Fail("not an APB", line);
    int sum = 0;
    for (int i = 1; i < star; ++i)
        sum ^= line.at(i).unicode();
    if (line.mid(star + 1) != QStringLiteral("%1").arg(sum, 2, 16, QLatin1Char('0')).toUpper())
        Fail("checksum", line);
    const QStringList f = line.left(star).split(QLatin1Char(','));
    if (f.size() != 15 || f[8] != f[11] || f[8] != f[13])
        Fail("fields", line);
    bool ok = false;
    const double h = f[8].toDouble(&ok);
    if (!ok || !std::isfinite(h) || h < 0 || h > 360)
        Fail("heading", line);
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_receive";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    int64_t now = 0;
    FakeSerialPort* nmea = nullptr;
    CoreSetup setup;
    setup.ManualTimers = true;
    setup.Clock = [&now] { return now; };
    setup.Ports = [&nmea](QObject* parent) {
        auto* port = new FakeSerialPort(parent);
        if (!nmea)
            nmea = port;
        return port;
    };
    SteeringCore core(setup);
    // Default gains: K2 = 0.2 - 0.2/65.
    const double bound = (0.2 - 0.2 / 65) * 180 + 0.1001;
    double previous = -1;
    QObject::connect(&core, &SteeringCore::PilotSent, [&](const QString& line) {
        const double h = Heading(line);
        if (previous >= 0 && std::fabs(std::fmod(h - previous + 540.0, 360.0) - 180.0) > bound)
            Fail("step", line);
        previous = h;
    });

    const uint8_t mode = size > 0 ? data[0] : 0;
    core.Settings().m_iNmeaTrueWind = int16_t(mode & 1);
    core.Settings().m_iNmeaHeading = int16_t((mode >> 1) & 1);
    core.TrackSetSetup();
    core.TrackSetManual();
    nmea->feed(QStringLiteral("$IIVTG,,T,050.0,M,6.0,N,,K\r\n$IIMWV,045,R,10.5,N,A\r\n$IIMWV,060,T,12.0,N,A\r\n"));
    core.TrackSetTrack();
    core.TrackSelect((mode & 4) ? TrackAngle::True : TrackAngle::Apparent);

    // The rest arrives in pieces, a second apart now and then.
    size_t i = size > 0 ? 1 : 0;
    while (i < size) {
        const size_t piece = std::min<size_t>(size - i, 1 + data[i] % 64);
        nmea->feed(QString::fromLatin1(reinterpret_cast<const char*>(data + i), qsizetype(piece)));
        i += piece;
        if (data[i - 1] & 1) {
            now += 1000;
            core.tmrNmea_Timer();
        }
    }
    return 0;
}
