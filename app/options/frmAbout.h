#pragma once
// The About window: the program's icon, title, version and what it does,
// and a notice for the skipper.

#include <QDialog>
#include <QIcon>

class QLabel;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // icon: the program's own picture.
    explicit frmAbout(const QIcon& icon, QWidget* parent = nullptr);

protected:
    // A new palette (night mode): the picture tinted or back as it was.
    void changeEvent(QEvent* event) override;

private:
    QIcon m_icon;
    QLabel* picIcon = nullptr;
};
