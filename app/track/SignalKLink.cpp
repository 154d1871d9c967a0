#include "SignalKLink.h"

#include "InstrumentState.h"
#include "ProfileSettings.h"
#include "ProfileStore.h"
#include "SerialPortFactory.h"

#include <QFile>
#include <QJsonValue>

#include <cmath>

namespace {

// Longer than any token a server hands out.
constexpr int TokenBufferSize = 8192;

enum { In = 0, Out = 1 };

QString Capitalized(const QString& word)
{
    return word.isEmpty() ? word : word.left(1).toUpper() + word.mid(1);
}

} // namespace

SignalKLink::SignalKLink(const ProfileSettings& settings, InstrumentState& state, SignalKTiming timing,
                         SignalKReports reports, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_state(state)
    , m_timing(timing)
    , m_reports(std::move(reports))
{
}

SignalKLink::~SignalKLink() = default;

bool SignalKLink::Claims(int port) const
{
    return m_bClaiming && port >= 1 && IsSignalKName(SerialDeviceName(m_settings.m_sProfileFile, port));
}

SignalKClient* SignalKLink::ClientOf(int side) const
{
    if (!m_side[side].open)
        return nullptr;
    const auto at = m_clients.find(m_side[side].name);
    return at == m_clients.end() ? nullptr : at->second.get();
}

SignalKClient* SignalKLink::Publisher() const
{
    SignalKClient* out = ClientOf(Out);
    return out ? out : ClientOf(In);
}

bool SignalKLink::Serves(const SignalKClient* client, int side) const
{
    return client && ClientOf(side) == client;
}

bool SignalKLink::Open(int port, bool input, QString& error)
{
    const int side = input ? In : Out;
    const QString name = SerialDeviceName(m_settings.m_sProfileFile, port).trimmed().toLower();
    // A link started again keeps a working connection.
    if (m_side[side].open && m_side[side].name == name && m_clients.count(name)) {
        ShowStatus(ClientOf(side));
        return true;
    }
    Close(input);
    if (!m_clients.count(name) && !Make(name, error))
        return false;
    m_side[side] = {true, name};
    ShowStatus(ClientOf(side));
    return true;
}

SignalKClient* SignalKLink::Make(const QString& name, QString& error)
{
    auto client = std::make_unique<SignalKClient>(m_timing);
    const QString& profile = m_settings.m_sProfileFile;
    QString value;
    // The server knows the device again by its identity: it is kept from
    // the first connection on, before any request is approved.
    if (ProfileStore::Read(profile, Section, u"ClientId", u"", value, TokenBufferSize) > 0)
        client->SetClientId(value);
    else if (!profile.isEmpty())
        ProfileStore::Write(profile, Section, u"ClientId", client->ClientId());
    if (ProfileStore::Read(profile, Section, u"Token", u"", value, TokenBufferSize) > 0)
        client->SetToken(value);
    SignalKClient* c = client.get();
    connect(c, &SignalKClient::Recorded, this, [this, c](const QString& line) {
        if (line.startsWith(u"in ")) {
            if (Serves(c, In)) {
                m_sLine = line;
                m_reports.Arrived(line);
            }
        } else {
            m_reports.Written(line);
        }
    });
    connect(c, &SignalKClient::Received, this, [this, c](const SignalKUpdate& update) {
        if (Serves(c, In))
            Take(update, m_sLine);
    });
    connect(c, &SignalKClient::Refused, this, [this, c](const QString& text) {
        if (text.startsWith(u"Decode Error")) {
            if (Serves(c, In)) {
                m_reports.Input();
                m_reports.Line(m_sLine + QStringLiteral(" <<Decode Error>>"), false);
                m_reports.LineError(text);
            }
            return;
        }
        // The token we kept is no good: it is forgotten, and said.
        m_bTokenRefused = true;
        KeepToken(QString(), c->ClientId());
    });
    connect(c, &SignalKClient::StatusChanged, this, [this, c](const QString& text) {
        m_words[c] = text;
        ShowStatus(c);
    });
    connect(c, &SignalKClient::TokenApproved, this, [this, c](const QString& token) {
        m_bTokenRefused = false;
        KeepToken(token, c->ClientId());
    });
    connect(c, &SignalKClient::Streaming, this, [this] { Republish(); });
    connect(c, &SignalKClient::PilotChanged, this, [this, c] {
        if (!Serves(c, Out))
            return;
        ShowStatus(c);
        m_reports.PilotChanged();
    });
    connect(c, &SignalKClient::TargetAnswered, this, [this, c](bool ok, const QString& text) {
        if (!Serves(c, Out))
            return;
        m_sAnswer = ok ? QString() : text;
        ShowStatus(c);
    });
    if (!client->Open(name, error))
        return nullptr;
    m_clients[name] = std::move(client);
    return c;
}

void SignalKLink::Close(bool input)
{
    Side& side = m_side[input ? In : Out];
    if (!side.open)
        return;
    side.open = false;
    if (!input)
        m_sAnswer.clear();
    Release(side.name);
}

void SignalKLink::Release(const QString& name)
{
    if (m_side[In].open && m_side[In].name == name)
        return;
    if (m_side[Out].open && m_side[Out].name == name)
        return;
    const auto at = m_clients.find(name);
    if (at == m_clients.end())
        return;
    // It may be inside one of its own signals.
    SignalKClient* client = at->second.release();
    m_clients.erase(at);
    client->disconnect(this);
    m_words.erase(client);
    client->Close();
    client->deleteLater();
}

QString SignalKLink::Condition() const
{
    const SignalKClient* client = ClientOf(In);
    return client ? client->Condition() : QString();
}

void SignalKLink::ShowStatus(SignalKClient* client)
{
    if (!client)
        return;
    QString word = m_words[client];
    if (m_bTokenRefused && word == u"Waiting For Signal K Approval")
        word = QStringLiteral("Signal K Token Refused - ") + word;
    if (Serves(client, In))
        m_reports.Status(true, word);
    if (Serves(client, Out))
        ShowOutput(!word.isEmpty() ? word : !m_sAnswer.isEmpty() ? m_sAnswer : PilotText());
}

void SignalKLink::ShowOutput(const QString& text)
{
    if (!m_reports.OutputShown || m_reports.OutputShown() != text)
        m_reports.Status(false, text);
}

QString SignalKLink::PilotRefusal(const QString& state, const QString& mode)
{
    if (state.isEmpty() && mode.isEmpty())
        return QStringLiteral("No Output - Pilot Not Known");
    if (state.compare(u"standby", Qt::CaseInsensitive) == 0)
        return QStringLiteral("No Output - Pilot In Standby");
    // A pilot without modes names what it steers by its state (auto,
    // wind, route).
    const QString steers = (mode.isEmpty() ? state : mode).toLower();
    static const QStringList compass = {QStringLiteral("compass"), QStringLiteral("auto"),
                                        QStringLiteral("heading"), QStringLiteral("magnetic")};
    if (compass.contains(steers))
        return QString();
    // In a wind mode the target would be read as a wind angle.
    if (steers.contains(u"wind"))
        return QStringLiteral("No Output - Pilot In Wind Mode");
    return QStringLiteral("No Output - Pilot In ") + Capitalized(steers) + QStringLiteral(" Mode");
}

QString SignalKLink::PilotText() const
{
    const SignalKClient* client = ClientOf(Out);
    if (!client || !client->Permitted())
        return QString();
    const QString refusal = PilotRefusal(client->PilotState(), client->PilotMode());
    if (!refusal.isEmpty())
        return refusal;
    return QStringLiteral("Pilot ") + client->PilotState()
           + (client->PilotMode().isEmpty() ? QString() : QStringLiteral(", ") + client->PilotMode());
}

bool SignalKLink::PilotStandby() const
{
    const SignalKClient* client = ClientOf(Out);
    return client && client->PilotState().compare(u"standby", Qt::CaseInsensitive) == 0;
}

bool SignalKLink::SendTarget(float heading, QString& sline)
{
    SignalKClient* client = ClientOf(Out);
    if (!client)
        return false;
    double radians = 0;
    SignalK::TargetRadians(heading, radians);
    sline = SignalKRecordLine({SignalKRecord::Put, QStringLiteral("steering.autopilot.target"), radians});
    const QString refusal = client->Permitted() ? PilotRefusal(client->PilotState(), client->PilotMode())
                                                : QStringLiteral("Not Sent - ") + client->Condition();
    if (!refusal.isEmpty()) {
        sline += QStringLiteral(" <<") + refusal + QStringLiteral(">>");
        ShowStatus(client);
        return true;
    }
    client->SendTarget(heading);
    ShowStatus(client);
    return true;
}

void SignalKLink::Take(const SignalKUpdate& update, const QString& line)
{
    m_reports.Input();
    const ProfileSettings& s = m_settings;
    InstrumentState& state = m_state;
    const float value = float(update.fValue);
    bool used = false;
    bool windUpdate = false;
    switch (update.eKind) {
    case SignalKKind::WindSpeedApparent:
        m_apparentSpeed = value;
        used = true;
        break;
    case SignalKKind::WindAngleApparent:
        if (m_apparentSpeed) {
            state.SetWindApparent(value, *m_apparentSpeed, true);
            used = windUpdate = true;
        }
        break;
    case SignalKKind::WindSpeedTrue:
        m_trueSpeed = value;
        used = s.m_iNmeaTrueWind == 0;
        break;
    case SignalKKind::WindAngleTrue:
        if (m_trueSpeed && s.m_iNmeaTrueWind == 0) {
            state.SetWindTrue(value, *m_trueSpeed, true);
            used = true;
        }
        break;
    case SignalKKind::HeadingMagnetic:
        if (s.m_iNmeaHeading == 0) {
            state.SetHeading(value);
            used = true;
        }
        break;
    case SignalKKind::CourseOverGroundMagnetic:
        if (s.m_iNmeaHeading == 1) {
            state.SetHeading(value);
            used = true;
        }
        break;
    case SignalKKind::CourseOverGroundTrue:
        // Made magnetic with the variation, as RMC's track is.
        if (s.m_iNmeaHeading == 1 && state.VariationValid()) {
            state.SetHeading(float(std::fmod(double(value) - state.Variation() + 360.0, 360.0)));
            used = true;
        }
        break;
    case SignalKKind::SpeedThroughWater:
        if (s.m_iNmeaBoatSpeed == 0) {
            state.SetBoatSpeed(value);
            used = true;
        }
        break;
    case SignalKKind::SpeedOverGround:
        if (s.m_iNmeaBoatSpeed == 1) {
            state.SetBoatSpeed(value);
            used = true;
        }
        break;
    case SignalKKind::MagneticVariation:
        state.SetVariation(value);
        used = true;
        break;
    case SignalKKind::WaypointDistance:
        m_waypointRange = value;
        used = true;
        break;
    case SignalKKind::WaypointBearingMagnetic:
    case SignalKKind::WaypointBearingTrue: {
        std::optional<float> bearing;
        if (update.eKind == SignalKKind::WaypointBearingMagnetic)
            bearing = value;
        else if (state.VariationValid())
            bearing = float(std::fmod(double(value) - state.Variation() + 360.0, 360.0));
        if (bearing && m_waypointRange) {
            state.SetWaypoint(*m_waypointRange, *bearing);
            used = true;
        }
        break;
    }
    default:
        break;
    }
    m_reports.Line(line, used);
    if (!windUpdate)
        return;
    if (state.WindTrueValid() && state.WindApparentValid())
        m_reports.StepDue();
    else
        m_reports.StepWaiting();
}

bool SignalKLink::ReplayLine(const QString& line)
{
    if (!line.startsWith(u"in "))
        return false;
    SignalKRecord record;
    QString error;
    if (!ParseSignalKRecordLine(line, record, error) || record.eDirection != SignalKRecord::In) {
        m_reports.Line(line + QStringLiteral(" <<Sentence Error>>"), false);
        m_reports.LineError(QStringLiteral("Sentence Error - ") + line);
        return true;
    }
    m_reports.Arrived(line);
    SignalKUpdate update;
    if (!SignalK::Convert(record.sPath, record.value, update, error)) {
        m_reports.Input();
        m_reports.Line(line + QStringLiteral(" <<Decode Error>>"), false);
        m_reports.LineError(error);
        return true;
    }
    // Pilot states of a record are of a pilot that is not here.
    if (update.eKind != SignalKKind::PilotState && update.eKind != SignalKKind::PilotMode)
        Take(update, line);
    return true;
}

QString SignalKLink::NotificationName(const QString& alarm)
{
    QString name;
    for (const QString& word : alarm.split(u' ', Qt::SkipEmptyParts)) {
        QString letters;
        for (const QChar c : word)
            if (c.isLetterOrNumber() && c.unicode() < 128)
                letters += c;
        if (letters.isEmpty())
            continue;
        name += name.isEmpty() ? letters.left(1).toLower() + letters.mid(1) : Capitalized(letters);
    }
    return name;
}

void SignalKLink::PublishHeld(bool apparent, float degrees)
{
    if (!std::isfinite(degrees) || (m_held && m_held->first == apparent && m_held->second == degrees))
        return;
    SignalKClient* client = Publisher();
    QByteArray delta;
    QString reason;
    if (client && SignalK::HeldAngleDelta(apparent, degrees, delta) && client->SendDelta(delta, reason))
        m_held = std::make_pair(apparent, degrees);
}

void SignalKLink::PublishAlarm(const QString& name, bool raised, const QString& text)
{
    const QString path = NotificationName(name);
    if (path.isEmpty())
        return;
    m_alarms[path] = {raised, raised ? text : name};
    SignalKClient* client = Publisher();
    QString reason;
    if (client)
        client->SendDelta(SignalK::NotificationDelta(path, raised, m_alarms[path].second), reason);
}

void SignalKLink::Republish()
{
    // Anything said while the server could not hear it is said again.
    m_held.reset();
    SignalKClient* client = Publisher();
    QString reason;
    for (const auto& [path, alarm] : m_alarms)
        if (client)
            client->SendDelta(SignalK::NotificationDelta(path, alarm.first, alarm.second), reason);
}

void SignalKLink::KeepToken(const QString& token, const QString& clientId)
{
    const QString& profile = m_settings.m_sProfileFile;
    if (profile.isEmpty())
        return;
    ProfileStore::Write(profile, Section, u"ClientId", clientId);
    ProfileStore::Write(profile, Section, u"Token", token);
    // A token lets whoever reads it steer the boat.
    if (!token.isEmpty())
        QFile::setPermissions(profile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
