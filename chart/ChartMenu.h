#pragma once
// The chart's configuration menu popMenu and the manual scale dialog
// frmMaxMin. Entries carry their index as QAction::data() and share one
// objectName per entry array, as the chart's control arrays do; what an
// entry does is handed in by the chart.

#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class TrendScope;

class ChartMenu {
public:
    static constexpr int kTraces = 5;
    static constexpr std::array<int, 5> kMinutes = {1, 5, 10, 15, 30};
    static constexpr std::array<int, 6> kHours = {1, 2, 4, 8, 16, 24};

    explicit ChartMenu(QWidget* owner);
    // The value items of every trace's "Data" submenu, one per name.
    void SetValueNames(const QStringList& names);

    QMenu* popMenu = nullptr;
    // Index 1..5; entry 0 unused, as the menu counts from 1.
    std::array<QAction*, kTraces + 1> popTraceNumber = {};
    std::array<QMenu*, kTraces + 1> popTraceLabel = {};
    std::array<QMenu*, kTraces + 1> popTraceData = {};
    std::array<QList<QAction*>, kTraces + 1> popTraceValue;
    std::array<std::array<QAction*, 2>, kTraces + 1> popTraceColor = {};
    std::array<std::array<QAction*, 3>, kTraces + 1> popTraceRange = {};
    std::array<std::array<QAction*, 2>, kTraces + 1> popTraceScale = {};
    std::array<std::array<QAction*, 2>, kTraces + 1> popTraceStyle = {};
    std::array<QAction*, 5> popTimeSpanMinutes = {};
    std::array<QAction*, 6> popTimeSpanHours = {};
    QAction* popBackColor = nullptr;
    QAction* popFontColor = nullptr;
    QAction* popFontType = nullptr;
    QAction* popSeparatorHidePanel = nullptr;
    QAction* popHide = nullptr;

    // Handlers; trace numbers k are 1..5.
    std::function<void(int count)> TraceNumber;
    std::function<void(int k, int value)> TraceValue;
    std::function<void(int k, int line)> TraceColor;
    std::function<void(int k, int range)> TraceRange;
    std::function<void(int k, int scale)> TraceScale;
    std::function<void(int k, int style)> TraceStyle;
    std::function<void(int seconds)> TimeSpan;
    std::function<void()> BackColor;
    std::function<void()> FontColor;
    std::function<void()> FontType;
    std::function<void()> Hide;

private:
    // A choice shows a check when it is the chart's current setting; a
    // command ("Set Back Color...") shows none.
    enum class Kind { Choice, Command };
    QAction* Item(QMenu* menu, const char* name, const QString& caption, int index, Kind kind,
                  const std::function<void()>& run);
};

// The manual scale of one trace: Enter in either box, leaving a box and
// closing the dialog apply the typed limits. A text that is not a number
// in the chart's value range keeps the previous limits and stays in its
// box for correction.
class MaxMinDialog : public QDialog {
public:
    explicit MaxMinDialog(QWidget* parent);
    // Trace number 1..5 and the chart the dialog edits.
    void Trace(int Index, TrendScope* chart);
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyScale();

    QLineEdit* txtMax = nullptr;
    QLineEdit* txtMin = nullptr;
    int m_iTrace = 1;
    TrendScope* m_chart = nullptr;
};
