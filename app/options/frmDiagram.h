#pragma once
// The block diagram: instruments, computer and autopilot as boxes and
// arrows, and a visual menu. Its buttons ask for the Options dialog on a
// tab (placed under the button), the History and the Polar window; the
// main window, which owns those, answers the requests.

#include <QWidget>

class QPushButton;

class frmDiagram : public QWidget {
    Q_OBJECT
public:
    explicit frmDiagram(QWidget* parent = nullptr);

    // Shows window, modeless, with its top left corner under the middle of
    // control's lower edge, moved left or up as far as needed to stay on
    // the screen.
    static void ShowNear(QWidget* control, QWidget* window);

signals:
    // tab of the Options dialog; button: where to show it (ShowNear).
    void OptionsRequested(int tab, QWidget* button);
    void HistoryRequested();
    void PolarRequested();
    void VisibilityChanged(bool visible);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPushButton* cmdInput = nullptr;
    QPushButton* cmdControl = nullptr;
    QPushButton* cmdOutput = nullptr;
    QPushButton* cmdHistory = nullptr;
    QPushButton* cmdPolar = nullptr;
};
