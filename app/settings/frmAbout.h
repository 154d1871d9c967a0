#pragma once
// The About window: the program's icon, title, version and what it does,
// and a notice for the skipper.

#include <QDialog>

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // icon: the program's own picture.
    explicit frmAbout(const QIcon& icon, QWidget* parent = nullptr);
};
