#include "frmHistory.h"

#include "NightMode.h"
#include "NumberText.h"
#include "ProfileStore.h"
#include "SystemLib.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

#include <iterator>

namespace {

const char16_t* const kHistoryWindow = u"History Window";
const QString kHistoryTrace = QStringLiteral("History Trace");

// The values declared to the chart, in the order of its Data menus, and
// the format a reading takes on its way into the chart.
struct Value {
    const char* name;
    TrendScope::ValueType type;
    const char* units;
    const char16_t* format;
};
const Value kValues[] = {
    {"Boat Speed", TrendScope::ValueType::Normal, "Kts", u"0.0"},
    {"Heading", TrendScope::ValueType::Degrees, "M", u"0.0"},
    {"True Wind Speed", TrendScope::ValueType::Normal, "Kts", u"0.0"},
    {"True Wind Angle", TrendScope::ValueType::Degrees, "R", u"0.0"},
    {"App Wind Speed", TrendScope::ValueType::Normal, "Kts", u"0.0"},
    {"App Wind Angle", TrendScope::ValueType::Degrees, "R", u"0.0"},
    {"Pilot Heading", TrendScope::ValueType::Degrees, "Deg", u"0.00"},
    {"Pilot Delta", TrendScope::ValueType::Degrees, "Deg", u"0.0"},
    {"Polar Speed", TrendScope::ValueType::Normal, "Kts", u"0.0"},
};

QStringView ReadingFormat(const QString& name)
{
    for (const Value& value : kValues)
        if (name == QLatin1String(value.name))
            return value.format;
    return u"0.0";
}
const char* const kDefaultTraces[] = {"True Wind Speed", "True Wind Angle", "Boat Speed"};

// The chart sits this far in from the window's top left, in twips.
constexpr float kChartInset = 30;
// Pixels of a stored window that must be on the desktop for it to be found
// again, and the least size kept.
constexpr int kMinimumPlace = 40;

void MessageBoxDialog(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text);
}

} // namespace

frmHistory::frmHistory(const QString& ProfileFile, HistoryWindowSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_sProfileFile(ProfileFile)
    , m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("Vanehold - History"));
    if (!m_setup.MessageBox)
        m_setup.MessageBox = MessageBoxDialog;

    lnTop = new QFrame(this);
    lnTop->setObjectName(QStringLiteral("lnTop"));
    lnTop->setFrameShape(QFrame::HLine);
    lnTop->setFrameShadow(QFrame::Sunken);
    m_chart = new TrendScope(this, m_setup.Clock);
    m_chart->setNightMode(NightMode::Active());
    m_chart->setObjectName(QStringLiteral("TrendScope"));
    connect(m_chart, &TrendScope::Command, this, &frmHistory::TrendScope_Command);
}

frmHistory::~frmHistory() = default;

void frmHistory::Form_Load()
{
    const bool recording = HistorySetup();
    HistoryProfileRead();
    m_bLoaded = true;
    Form_Resize();
    // The configuration is loaded all the same, so that the profile keeps it.
    if (!recording)
        m_setup.MessageBox(this, windowTitle(),
                           QStringLiteral("The History chart could not get the memory for its recording: "
                                          "nothing is recorded until the program is started again."));
}

void frmHistory::Form_Unload()
{
    if (m_bLoaded)
        HistoryProfileSave();
}

bool frmHistory::HistorySetup()
{
    TrendScope& chart = *m_chart;
    chart.SetNumberOfValues(static_cast<int16_t>(std::size(kValues)));
    for (size_t i = 0; i < std::size(kValues); ++i)
        chart.SetValueOptions(static_cast<int16_t>(i + 1), QLatin1String(kValues[i].name),
                              static_cast<int16_t>(kValues[i].type), QLatin1String(kValues[i].units));
    // A day of 10-second samples.
    const bool initialized = chart.Initialize(m_setup.MemorySize, 10);
    chart.SetTraceTimer(10);
    chart.SetFontBold(true);
    chart.SetUpdate(false);
    chart.SetTimeSpan(1800);
    const QColor back = palette().color(QPalette::Window);
    chart.setBackColor(back);
    chart.SetNumberOfTraces(static_cast<int16_t>(std::size(kDefaultTraces)));
    for (int k = 1; k <= int(std::size(kDefaultTraces)); ++k) {
        chart.SetTraceName(static_cast<int16_t>(k), QLatin1String(kDefaultTraces[k - 1]));
        chart.setTraceBackColor(k, back);
    }
    // The chart's "Hide Panel" entry hides this window.
    chart.SetMenuHidePanel(true);
    chart.SetUpdate(true);
    return initialized;
}

void frmHistory::HistoryProfileRead()
{
    const QString& profile = m_sProfileFile;
    const struct {
        const char16_t* key;
        float twips;
        bool vertical;
    } places[] = {{u"Top", 0, true}, {u"Left", 0, false}, {u"Height", 4000, true}, {u"Width", 4000, false}};
    int pixels[4] = {};
    int defaults[4] = {};
    for (int k = 0; k < 4; ++k) {
        const double dpi = places[k].vertical ? logicalDpiY() : logicalDpiX();
        float twips = places[k].twips;
        ProfileGet(profile, kHistoryWindow, places[k].key, twips);
        pixels[k] = PixelsFromTwips(twips, dpi);
        defaults[k] = PixelsFromTwips(places[k].twips, dpi);
    }
    const QRect place = PlaceOnDesktop(QRect(pixels[1], pixels[0], pixels[3], pixels[2]),
                                       QRect(defaults[1], defaults[0], defaults[3], defaults[2]));
    move(place.topLeft());
    resize(place.size());
    m_chart->GetProfile(profile, kHistoryTrace);
}

QRect frmHistory::PlaceOnDesktop(const QRect& stored, const QRect& fallback) const
{
    // The desktop the window opens on: the screens beside the one under the
    // stored corner, or the window's own.
    const QScreen* at = QGuiApplication::screenAt(stored.topLeft());
    if (!at)
        at = screen();
    const QRect desktop = at ? at->availableVirtualGeometry() : QRect(0, 0, 640, 480);
    // A size of nothing or beyond the desktop (the window would be drawn at
    // that size) takes the default, kept within the desktop too.
    const auto length = [](int stored, int fallback, int room) {
        return stored >= kMinimumPlace && stored <= room ? stored : std::clamp(fallback, 1, std::max(room, 1));
    };
    QRect place(stored.topLeft(), QSize(length(stored.width(), fallback.width(), desktop.width()),
                                        length(stored.height(), fallback.height(), desktop.height())));
    // A place from which the window could not be reached, its top left
    // corner off the desktop or too little of it on, takes the default.
    const QRect seen = place.intersected(desktop);
    if (seen.width() < std::min(kMinimumPlace, place.width()) || seen.height() < std::min(kMinimumPlace, place.height()))
        place.moveTopLeft(fallback.topLeft());
    return place;
}

void frmHistory::HistoryProfileSave()
{
    const QString& profile = m_sProfileFile;
    // A minimized or maximized window's place is not the one to come back to.
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const double dpiX = logicalDpiX();
        const double dpiY = logicalDpiY();
        auto field = [](int pixels, double dpi) { return NumberText::Field(double(TwipsFromPixels(pixels, dpi))); };
        const QStringView section(kHistoryWindow);
        ProfileStore::WriteBatch(profile, {{section, u"Top", field(y(), dpiY)},
                                           {section, u"Left", field(x(), dpiX)},
                                           {section, u"Height", field(height(), dpiY)},
                                           {section, u"Width", field(width(), dpiX)}});
    }
    m_chart->SetProfile(profile, kHistoryTrace);
}

void frmHistory::SetValue(const QString& sName, float fValue, const QString& sUnits, const QDateTime& Stamp)
{
    const QString value = NumberText::Format(fValue, ReadingFormat(sName));
    if (Stamp.isValid())
        m_chart->SetValue(sName, NumberText::Val(value), Stamp);
    else
        m_chart->SetValue(sName, value + QLatin1Char(' ') + sUnits);
}

void frmHistory::ConfigurePopup()
{
    const QRect chart = m_chart->geometry();
    const int16_t x = NumberText::ToInt16Saturated((chart.width() + chart.left()) / 2.0);
    const int16_t y = NumberText::ToInt16Saturated((chart.height() + chart.top()) / 2.0);
    m_chart->Trace_PopUp(2, 16, int(x), int(y));
}

void frmHistory::TrendScope_Command(int32_t Command)
{
    if (Command == TrendScope::CommandHidePanel)
        hide();
}

void frmHistory::Form_Resize()
{
    if (isMinimized())
        return;
    const int insetX = PixelsFromTwips(kChartInset, logicalDpiX());
    const int insetY = PixelsFromTwips(kChartInset, logicalDpiY());
    lnTop->setGeometry(0, 0, width(), insetY);
    // Inside the window: the chart's right frame and scale stay in sight.
    m_chart->setGeometry(insetX, insetY, width() - insetX, height() - insetY);
}

void frmHistory::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmHistory::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Sizes that came while minimized are taken on restoring.
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    // The program's night palette reaches the chart's own drawing too.
    if (event->type() == QEvent::PaletteChange && m_chart)
        m_chart->setNightMode(NightMode::Active());
}

void frmHistory::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}
