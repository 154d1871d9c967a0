#pragma once
// A Polar window's host for benchmarks: a profile in a folder of its own,
// and nowhere for readings or tack requests to go.

#include "PolarHost.h"

#include <QString>

class NullPolarHost : public PolarHost {
public:
    QString folder;
    QString ProfileFile() const override { return folder + QStringLiteral("/Vanehold.ini"); }
    QString ProgramFolder() const override { return folder; }
    void ChartSetValue(const QString&, float, const QString&) override {}
    void TackRequest(float, float, float) override {}
};
