#pragma once
// TrendScope: a recording strip chart. The host declares a table of named
// values, calls Initialize, and then sends readings as text ("12.3 Kts");
// the control keeps a day or more of interval samples and shows up to five
// of them as stacked traces with scales, averages and a time axis, frozen
// and zoomed by dragging across a trace.
//
// Typical use:
//     chart->SetNumberOfValues(2);
//     chart->SetValueOptions(1, "Boat Speed", 0, "Kts");
//     chart->SetValueOptions(2, "Heading", 1, "M");
//     chart->Initialize(8640, 10);          // 24 h of 10-second samples
//     chart->SetNumberOfTraces(2);
//     chart->SetTraceName(1, "Boat Speed");
//     chart->SetTraceName(2, "Heading");
//     chart->SetUpdate(true);
//     chart->SetValue("Boat Speed", "6.2 Kts");

#include "ChartClock.h"
#include "ChartTime.h"
#include "ChartTypes.h"
#include "trendscope_export.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class TrendScopePrivate;

// The library's version text.
TRENDSCOPE_EXPORT const char* TrendScopeVersion();

class TRENDSCOPE_EXPORT TrendScope : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(int ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(bool FontBold READ FontBold WRITE SetFontBold)
    Q_PROPERTY(bool FontItalic READ FontItalic WRITE SetFontItalic)
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
    Q_PROPERTY(float FontSize READ FontSize WRITE SetFontSize)
    Q_PROPERTY(bool FontUnderline READ FontUnderline WRITE SetFontUnderline)

public:
    using time_t = ChartTime::time_t;
    using Colour = TrendScopeTypes::Colour;
    using DisplayMode = TrendScopeTypes::DisplayMode;
    using ValueType = TrendScopeTypes::ValueType;
    using TraceRange = TrendScopeTypes::TraceRange;
    using TraceScale = TrendScopeTypes::TraceScale;
    using TraceStyle = TrendScopeTypes::TraceStyle;

    static constexpr const char* Version = "1.00.0003";
    static constexpr const char* ProgId = "Corriam.TrendScope";
    // The Command event's argument for the "Hide Panel" menu entry.
    static constexpr int32_t CommandHidePanel = 32903;

    // clock: where time and timers come from; the wall clock when null. A
    // clock handed in must outlive the control.
    explicit TrendScope(QWidget* parent = nullptr, ChartClock* clock = nullptr);
    ~TrendScope() override;

    void Trace_XAxis_Normal();
    void Trace_XAxis_Zoom();
    // Opens the configuration menu at the mouse position; the arguments are
    // accepted for the host's convenience and not used.
    void Trace_PopUp(const QVariant& Button = {}, const QVariant& Shift = {}, const QVariant& X = {},
                     const QVariant& Y = {});

    // Appearance of the drawing surface. Colours are 0xBBGGRR.
    Colour BackColor() const;
    void SetBackColor(Colour colour);
    Colour ForeColor() const;
    void SetForeColor(Colour colour);
    bool FontBold() const;
    void SetFontBold(bool state);
    bool FontItalic() const;
    void SetFontItalic(bool state);
    QString FontName() const;
    void SetFontName(const QString& name);
    float FontSize() const;
    void SetFontSize(float points);
    bool FontUnderline() const;
    void SetFontUnderline(bool state);

    // Stored properties: reading takes the default for a missing key;
    // writing leaves out every property equal to its default.
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;

    // Value table and recording.
    void SetNumberOfValues(int16_t NumberOfValues);
    void SetValueOptions(int16_t iIndex, const QString& sName, int16_t iType, const QString& sUnits);
    void GetValueOptions(int16_t iIndex, QString& sName, int16_t& iType, QString& sUnits) const;
    void Initialize(int32_t MemorySize, int32_t MemoryInterval);
    // One reading: a number, optionally followed by a blank and its units.
    // Unknown names, "N/A" and readings whose part before the first blank
    // is not a number are ignored.
    void SetValue(const QString& Name, const QString& Value);
    void SetTraceTimer(int32_t iSeconds);
    int32_t GetTraceTimer() const;

    // Traces, numbered 1..5.
    void SetTimeSpan(int32_t TimeSpan);
    int32_t GetTimeSpan() const;
    void SetNumberOfTraces(int16_t NumberOfTraces);
    int16_t GetNumberOfTraces() const;
    void SetTraceName(int16_t iTrace, const QString& sName);
    QString GetTraceName(int16_t iTrace) const;
    void SetTraceColor(int16_t iTrace, Colour cColor);
    Colour GetTraceColor(int16_t iTrace) const;
    void SetTraceBackColor(int16_t iTrace, Colour cColor);
    Colour GetTraceBackColor(int16_t iTrace) const;
    void SetTraceRange(int16_t iTrace, int16_t iRange);
    int16_t GetTraceRange(int16_t iTrace) const;
    void SetTraceStyle(int16_t iTrace, int16_t iStyle);
    int16_t GetTraceStyle(int16_t iTrace) const;
    void SetTraceScale(int16_t iTrace, int16_t iScale, double dMax, double dMin);
    void GetTraceScale(int16_t iTrace, int16_t& iScale, double& dMax, double& dMin) const;
    void SetUpdate(bool State);
    void SetMenuHidePanel(bool bState);
    bool GetMenuHidePanel() const;

    // The zoom window, for hosts that keep it.
    DisplayMode GetDisplayMode() const;
    time_t GetZoomStart() const;
    time_t GetZoomEnd() const;

    // Chart time conversions.
    void time_tTime(time_t& t) const;
    // Leaves t unchanged when the text is not "dd/mm/yyyy[ hh:mm[:ss]]".
    void time_tFromString(time_t& t, const QString& time_date) const;
    void time_tToString(time_t t, QString& time_date) const;

    // Replaces the system beep (zooming past its limits), e.g. to mute it.
    void SetBeepHandler(std::function<void()> beep);

signals:
    void Command(int32_t Command);
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void Click();
    void DblClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class TrendScopePrivate;
    std::unique_ptr<TrendScopePrivate> d;
};
