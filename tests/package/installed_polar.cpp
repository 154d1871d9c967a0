// Run from bin/ of an installed tree: prints where the default polar is found
// from the program's folder, as the Polar window looks for it, and its speed
// at 30 degrees in 6 knots of wind (0.0 when it cannot be read).
#include "NumberText.h"
#include "PolarSettings.h"
#include "PolarTable.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString path = PolarFilePath(DefaultPolarFile, QCoreApplication::applicationDirPath());
    static PolarTable table;
    QString message;
    table.PolarFileRead(0, path, 1.0f, message);
    std::printf("%s\n%s\n", qPrintable(path), qPrintable(NumberText::Format(table.PolarLookup(0, 30, 6), u"0.0")));
}
