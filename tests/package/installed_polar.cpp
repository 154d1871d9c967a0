// Run from the bin/ folder of an installed tree: finds the default polar as
// the Polar window does, from the program's own folder, reads it, and prints
// where it was found and its speed at 30 degrees in 6 knots of wind.
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
    if (!table.PolarFileRead(0, path, 1.0f, message)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(message));
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(path), qPrintable(NumberText::Format(table.PolarLookup(0, 30, 6), u"0.0")));
    return 0;
}
