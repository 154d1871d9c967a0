// The picture of the help window for the README: the manual open at the
// modes, a word found. The window alone is drawn, so no display is needed:
//     QT_QPA_PLATFORM=offscreen help_screenshot <folder>

#include "frmHelp.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    frmHelp help;
    help.ShowHelp();
    help.resize(900, 620);
    help.ShowSection(QStringLiteral("modes"));
    help.Find(QStringLiteral("Track"));
    QTimer::singleShot(200, &help, [&] {
        help.grab().save(folder.filePath(QStringLiteral("help-window.png")));
        QApplication::quit();
    });
    return app.exec();
}
