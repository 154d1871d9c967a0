// SPDX-License-Identifier: MIT
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
//     chart->SetValue("Heading", 312.0);    // or as a number, optionally
//                                           // with the host's time stamp
//
// Times are the chart's own ChartSeconds (since 2000 on the local clock) or
// QDateTime; a std::time_t does not compile in their place (convert it with
// ChartTime::FromTimeT).

#include "ChartClock.h"
#include "ChartTime.h"
#include "ChartTypes.h"
#include "trendscope_export.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
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

// Two faces: the members named as in the component's interface
// (SetTimeSpan, SetUpdate, 16-bit trace numbers) call the Qt-style ones
// (setTimeSpan, setDrawing) where both exist. Colours are kept as the
// interface's 0xBBGGRR values, which carry bits a QColor drops, so there
// the QColor members convert.

class TRENDSCOPE_EXPORT TrendScope : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(int ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(bool FontBold READ FontBold WRITE SetFontBold)
    Q_PROPERTY(bool FontItalic READ FontItalic WRITE SetFontItalic)
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
    Q_PROPERTY(float FontSize READ FontSize WRITE SetFontSize)
    Q_PROPERTY(bool FontUnderline READ FontUnderline WRITE SetFontUnderline)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(int timeSpan READ GetTimeSpan WRITE setTimeSpan NOTIFY timeSpanChanged)
    Q_PROPERTY(int numberOfTraces READ numberOfTraces WRITE setNumberOfTraces NOTIFY numberOfTracesChanged)
    Q_PROPERTY(TrendScopeTypes::DisplayMode displayMode READ GetDisplayMode NOTIFY displayModeChanged)
    Q_PROPERTY(bool nightMode READ nightMode WRITE setNightMode NOTIFY nightModeChanged)

public:
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
    // Asks for the configuration menu at the mouse position (menuRequested),
    // when initialized and drawing; the arguments are accepted for the
    // host's convenience and not used.
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

    // The same colours as Qt colours.
    QColor backColor() const;
    QColor foreColor() const;

    // Stored properties: reading takes the default for a missing key;
    // writing leaves out every property equal to its default.
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;

    // Value table and recording.
    void SetNumberOfValues(int16_t NumberOfValues);
    void SetValueOptions(int16_t iIndex, const QString& sName, int16_t iType, const QString& sUnits);
    void GetValueOptions(int16_t iIndex, QString& sName, int16_t& iType, QString& sUnits) const;
    int numberOfValues() const;
    // Creates the value store: MemorySize samples of MemoryInterval seconds
    // for every declared value. Takes effect once; false when the store
    // would not fit in memory, and the chart stays uninitialized.
    bool Initialize(int32_t MemorySize, int32_t MemoryInterval);
    // One reading: a number, optionally followed by a blank and its units.
    // Unknown names, "N/A", readings whose part before the first blank is
    // not a number and numbers of 1e30 or more in size are ignored.
    void SetValue(const QString& Name, const QString& Value);
    // One reading as a number, now or at the host's own time (chart seconds
    // or a date and time), e.g. when replaying a log. Once a host stamps its
    // readings, the stamps are the chart's clock for sampling and for the
    // present moment of the display. False when the reading was not taken
    // (not initialized, unknown name, not finite, 1e30 or more in size, a
    // time outside the chart's range, or stamped more than a day ahead of
    // the later of the chart's clock and the newest stamp taken: a wrong
    // date, refused without moving the present).
    bool SetValue(const QString& Name, double Value);
    bool SetValue(const QString& Name, double Value, ChartSeconds Stamp);
    bool SetValue(const QString& Name, double Value, const QDateTime& Stamp);
    void SetTraceTimer(int32_t iSeconds);
    int32_t GetTraceTimer() const;

    // Traces, numbered 1..5.
    void SetTimeSpan(int32_t TimeSpan);
    int32_t GetTimeSpan() const;
    // The span of the live display: the one shown, or while zoomed the one
    // Cancel Zoom returns to.
    int liveTimeSpan() const;
    void SetNumberOfTraces(int16_t NumberOfTraces);
    int16_t GetNumberOfTraces() const;
    void SetTraceName(int16_t iTrace, const QString& sName);
    QString GetTraceName(int16_t iTrace) const;
    // The declared value a trace shows, 1..numberOfValues; trace 1's for
    // a trace outside 1..5, as the other getters.
    int traceValue(int iTrace) const;
    void SetTraceColor(int16_t iTrace, Colour cColor);
    Colour GetTraceColor(int16_t iTrace) const;
    void SetTraceBackColor(int16_t iTrace, Colour cColor);
    Colour GetTraceBackColor(int16_t iTrace) const;
    QColor traceColor(int iTrace) const;
    QColor traceBackColor(int iTrace) const;
    void SetTraceRange(int16_t iTrace, int16_t iRange);
    int16_t GetTraceRange(int16_t iTrace) const;
    void SetTraceStyle(int16_t iTrace, int16_t iStyle);
    int16_t GetTraceStyle(int16_t iTrace) const;
    void SetTraceScale(int16_t iTrace, int16_t iScale, double dMax, double dMin);
    void GetTraceScale(int16_t iTrace, int16_t& iScale, double& dMax, double& dMin) const;
    void SetUpdate(bool State);
    void SetMenuHidePanel(bool bState);
    bool GetMenuHidePanel() const;
    int numberOfTraces() const;

    // The chart's configuration in a section of a profile file: GetProfile
    // reads it (missing keys keep the current settings) and redraws once;
    // SetProfile writes it. Zoomed, the span written is the live one.
    void GetProfile(const QString& sFile, const QString& sTitle);
    void SetProfile(const QString& sFile, const QString& sTitle) const;

    // The zoom window, for hosts that keep it.
    DisplayMode GetDisplayMode() const;
    ChartSeconds GetZoomStart() const;
    ChartSeconds GetZoomEnd() const;

    // Chart time conversions, in chart seconds (ChartTime.h).
    void time_tTime(ChartSeconds& t) const;
    // Leaves t unchanged when the text is not "dd/mm/yyyy[ hh:mm[:ss]]".
    void time_tFromString(ChartSeconds& t, const QString& time_date) const;
    void time_tToString(ChartSeconds t, QString& time_date) const;

    // Replaces the system beep (zooming past its limits), e.g. to mute it.
    void SetBeepHandler(std::function<void()> beep);
    // Replace the colour and font dialogs of the configuration menu. The
    // colour dialog returns an invalid colour, the font dialog false, when
    // the user made no choice.
    using ColorDialog = std::function<QColor(const QColor& initial, QWidget* parent)>;
    using FontDialog = std::function<bool(QFont& font, QWidget* parent)>;
    void SetColorDialog(ColorDialog dialog);
    void SetFontDialog(FontDialog dialog);
    ColorDialog colorDialog() const;
    FontDialog fontDialog() const;

    // The zoom window in chart seconds, as setZoomWindow.
    bool SetZoomWindow(ChartSeconds start, ChartSeconds end);

    // Drawn in night colours: black, dim red text and lines, each trace a
    // red of its own brightness, zoom buttons and selection band in reds
    // too. Whatever colours are configured; they stay configured (and
    // stored) as they are. Not stored.
    bool nightMode() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setBackColor(const QColor& colour);
    void setForeColor(const QColor& colour);
    void setTraceColor(int iTrace, const QColor& colour);
    void setTraceBackColor(int iTrace, const QColor& colour);
    void setTimeSpan(int seconds);
    void setNumberOfTraces(int count);
    void setTraceName(int iTrace, const QString& name);
    // As setTraceName, by the value's index 1..numberOfValues.
    void setTraceValue(int iTrace, int iValue);
    // Sets the live span (60 s to a day): a zoomed display keeps its end
    // and takes the span too.
    void setLiveTimeSpan(int seconds);
    // Lays out and draws everything again (when initialized and drawing),
    // e.g. after trace settings that otherwise show with the trace's next
    // full draw.
    void redraw();
    // Drawing on or off, as SetUpdate.
    void setDrawing(bool on);
    // Freezes the display on [start, end] (1 second to a day), as a drag
    // across a trace does; false leaves it as it was.
    bool setZoomWindow(const QDateTime& start, const QDateTime& end);
    // Back to the live display with the span from before zooming.
    void cancelZoom();
    void popUpMenu();
    void setNightMode(bool on);

signals:
    void Command(int32_t Command);
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void Click();
    void DblClick();
    void displayModeChanged(TrendScopeTypes::DisplayMode mode);
    void timeSpanChanged(int seconds);
    void numberOfTracesChanged(int count);
    // The window shown while zoomed.
    void zoomWindowChanged(const QDateTime& start, const QDateTime& end);
    void nightModeChanged(bool on);
    // Initialize created the value store (once).
    void initialized();
    // The configuration menu is wanted at this global position: a right
    // click on the picture or Trace_PopUp, when initialized and drawing.
    // The library's own menu answers it.
    void menuRequested(const QPoint& globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TrendScopePrivate;
    std::unique_ptr<TrendScopePrivate> d;
};
