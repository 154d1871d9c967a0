#pragma once
// The alarm where the sailor is looking: a red strip laid over the top of
// whichever window of the program is active (the Options dialog while
// tuning, the Polar window, the Tack dialog), above every one of them, until
// the sailor acknowledges it with its button. It knows nothing of the
// alarms' causes; the main window shows in it what the core reports.

#include <QWidget>

class QLabel;
class QPushButton;

class AlarmBanner : public QWidget {
    Q_OBJECT
public:
    explicit AlarmBanner(QWidget* owner);

    // Shown while an alarm sounds; "" or an acknowledged one hides it.
    void Show(const QString& text, bool sounding);
    // Laid over the top of the active window of the program, or of the
    // owner when another program is active.
    void Place();
    QString Text() const;
    // The window the strip lies over now.
    QWidget* Over() const { return m_over; }

    // Palette of the night or of the day.
    void ShowNight(bool night);

signals:
    void Acknowledged();

private:
    QWidget* m_owner;
    QWidget* m_over = nullptr;
    QLabel* m_label;
    QPushButton* m_button;
};
