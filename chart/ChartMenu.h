#pragma once
// The chart's configuration menu popMenu and the manual scale dialog
// frmMaxMin. Entries carry their index as QAction::data() and share one
// objectName per entry array, as the chart's control arrays do. The menu
// works the chart through its public interface alone: it opens when the
// chart asks for it (menuRequested) and fills its Data submenus when the
// chart is initialized.

#include <QDialog>
#include <QMenu>
#include <QStringList>
#include <array>
#include <functional>

class QAction;
class QLineEdit;
class MaxMinDialog;
class TrendScope;

class ChartMenu : public QMenu {
public:
    static constexpr int kTraces = 5;
    static constexpr std::array<int, 5> kMinutes = {1, 5, 10, 15, 30};
    static constexpr std::array<int, 6> kHours = {1, 2, 4, 8, 16, 24};

    // A child of the chart, which owns it.
    explicit ChartMenu(TrendScope& chart);

private:
    // The value items of every trace's "Data" submenu, one per declared
    // value.
    void SetValueNames(const QStringList& names);
    // Checks, shows and enables the entries as the chart stands, then
    // opens at the global position.
    void ShowAt(const QPoint& at);

    // Trace numbers k are 1..5, value indices v 0-based as the Data items.
    void SetTraceValueMenu(int k, int v);
    void SetTraceRangeMenu(int k, int range);
    void SetTraceScaleMenu(int k, int scale);
    void SetTraceStyleMenu(int k, int style);
    // Trace numbers t are 0..4.
    void TraceBackColorDialog(int t);
    void TraceColorDialog(int t);
    void SetTimeSpanMenu(int seconds);
    void SetFontMenu();
    // The host's colour dialog or the platform's; the preset when the user
    // made no choice.
    QColor PickColour(const QColor& initial) const;

    // A choice shows a check when it is the chart's current setting; a
    // command ("Set Back Color...") shows none.
    enum class Kind { Choice, Command };
    QAction* Item(QMenu* menu, const char* name, const QString& caption, int index, Kind kind,
                  const std::function<void()>& run);

    TrendScope& m_chart;
    MaxMinDialog* frmMaxMin = nullptr;
    // Index 1..5; entry 0 unused, as the menu counts from 1.
    std::array<QAction*, kTraces + 1> popTraceNumber = {};
    std::array<QMenu*, kTraces + 1> popTraceLabel = {};
    std::array<QMenu*, kTraces + 1> popTraceData = {};
    std::array<QList<QAction*>, kTraces + 1> popTraceValue;
    std::array<std::array<QAction*, 3>, kTraces + 1> popTraceRange = {};
    std::array<std::array<QAction*, 2>, kTraces + 1> popTraceScale = {};
    std::array<std::array<QAction*, 2>, kTraces + 1> popTraceStyle = {};
    std::array<QAction*, 5> popTimeSpanMinutes = {};
    std::array<QAction*, 6> popTimeSpanHours = {};
    QAction* popSeparatorHidePanel = nullptr;
    QAction* popHide = nullptr;
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
