#pragma once
// The History window: nine instrument values recorded for a day in one
// TrendScope chart, three of them shown at first. The chart records, draws,
// zooms and owns its configuration menu; the window declares the values,
// passes the readings on, and keeps its place and the chart's configuration
// in the profile.
//
// Controls carry their names as objectName: the chart "TrendScope", the
// line along the top "lnTop".

#include "TrendScope.h"

#include <QDateTime>

#include <QWidget>

#include <cstdint>
#include <functional>

class QFrame;

// What the window takes from its surroundings. Tests hand in a chart clock
// and a message box recorder; the program uses the defaults.
struct HistoryWindowSetup {
    // Time and timers of the chart; the wall clock when null. A clock
    // handed in must outlive the window.
    ChartClock* Clock = nullptr;
    // Message box with an OK button (title, text).
    std::function<void(QWidget* parent, const QString& title, const QString& text)> MessageBox;
    // Samples of 10 seconds kept for each value: 8640 is a day.
    int32_t MemorySize = 8640;
};

class frmHistory : public QWidget {
    Q_OBJECT
public:
    // ProfileFile: the profile the window and its chart keep their keys in.
    explicit frmHistory(const QString& ProfileFile, HistoryWindowSetup setup = {}, QWidget* parent = nullptr);
    ~frmHistory() override;

    // Creation: HistorySetup, then HistoryProfileRead. The window stays
    // hidden until shown; the chart records from here on.
    void Form_Load();
    // Saves the window's place and the chart's configuration. Closing the
    // window does it too, and only hides it: the recording goes on.
    void Form_Unload();

    // One reading, passed on in the chart's text with its units ("12.3 M";
    // two decimals for "Pilot Heading", one for the others). With a valid
    // Stamp (a replay's time of the reading) the chart takes it at that
    // time, as the number of that text.
    void SetValue(const QString& sName, float fValue, const QString& sUnits, const QDateTime& Stamp = {});
    // Opens the chart's configuration menu (the block diagram's History
    // button while the window is shown).
    void ConfigurePopup();

    // The chart, for a look at what it recorded.
    TrendScope& Chart() { return *m_chart; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // False when the chart got no memory for its store.
    bool HistorySetup();
    // The stored place, in pixels, taken only where it fits the available
    // desktop: a size beyond it, or a place where the window could not be
    // seen, takes the fallback's (the defaults).
    void HistoryProfileRead();
    QRect PlaceOnDesktop(const QRect& stored, const QRect& fallback) const;
    void HistoryProfileSave();
    void Form_Resize();
    void TrendScope_Command(int32_t Command);

    QString m_sProfileFile;
    HistoryWindowSetup m_setup;
    TrendScope* m_chart = nullptr;
    QFrame* lnTop = nullptr;
    // Set once loaded: only then is there anything to save.
    bool m_bLoaded = false;
};
