#pragma once
// The help window: the user's manual, compiled into the program, with a
// contents list of its sections and a find box. A top-level window of its
// own, modeless; opened over a modal dialog it is modal itself, since a
// window under a modal dialog takes no input. Controls carry their names
// as objectName.

#include <QTextCursor>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    // Shows the window in front, placed in the middle of the screen the
    // first time.
    void ShowHelp();

    // The sections of the contents list, in order; subsections follow
    // their section.
    QStringList Sections() const;
    // Scrolls the section with this anchor to the top; false if none.
    bool ShowSection(const QString& anchor);
    // The section at the top of the view, or holding the current match.
    QString CurrentSection() const;

    // Marks every place of the text (case ignored) and shows the first one
    // from the current match or the top of the view on; the number of
    // places.
    int Find(const QString& text);
    // To the next (or previous) place, round the end.
    void FindNext(bool backward = false);
    // The places found, and the one shown (0-based, -1 for none).
    int Matches() const { return int(m_matches.size()); }
    int CurrentMatch() const { return m_iMatch; }

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadManual();
    void BuildContents();
    void MarkMatches();
    void ShowMatch();
    void ShowFindCount();
    // The contents entry follows what the view shows.
    void FollowView();
    int TopPosition() const;

    QLineEdit* txtFind = nullptr;
    QPushButton* cmdFindPrevious = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QLabel* lblFind = nullptr;
    QTreeWidget* lstContents = nullptr;
    QTextBrowser* txtManual = nullptr;

    std::vector<QTextCursor> m_matches;
    int m_iMatch = -1;
    bool m_bPlaced = false;
};

// F1 over a modal dialog (a message box, a file dialog): a shortcut of a
// window under it does not fire, so the key is caught on its way to the
// dialog. Installed on the application for as long as it lives.
class HelpKey : public QObject {
public:
    HelpKey(std::function<void()> show, QObject* parent);
    ~HelpKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_show;
};
