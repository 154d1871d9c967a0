#pragma once
// A Polar window on a temporary program folder and profile, with every
// dialog replaced by a recorder. The program folder is <temp>/bin and the
// shipped polar lies in <temp>/share/vanehold/polars, as after installing.

#include "frmPolar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class PolarRecorder : public PolarHost {
public:
    QString profile;
    QString folder;
    QStringList chart;
    QString ProfileFile() const override { return profile; }
    QString ProgramFolder() const override { return folder; }
    void ChartSetValue(const QString& name, const QString& value) override { chart << name + QLatin1Char('=') + value; }
};

struct PolarRig {
    QTemporaryDir dir;
    PolarRecorder host;
    QStringList answers;   // input box answers, in order; then empty
    QStringList prompts;   // "title|default text" of each input box
    QStringList messages;  // "title|text" of each message box
    QStringList questions; // "title|text" of each Yes/No question
    bool yes = false;
    QString openPath;      // chosen in the open dialog; empty cancels
    QString savePath;      // chosen in the save dialog; empty cancels
    QColor color;          // chosen in the colour dialog; invalid cancels
    std::unique_ptr<frmPolar> window;

    PolarRig()
    {
        QDir(dir.path()).mkpath(QStringLiteral("bin"));
        QDir(dir.path()).mkpath(QStringLiteral("share/vanehold/polars"));
        host.folder = dir.filePath(QStringLiteral("bin"));
        host.profile = dir.filePath(QStringLiteral("bin/Vanehold.ini"));
        QFile::copy(QStringLiteral(VANEHOLD_POLAR_DATA "/Fast Sled 60ft.pol"),
                    dir.filePath(QStringLiteral("share/vanehold/polars/Fast Sled 60ft.pol")));
    }

    PolarWindowSetup Setup()
    {
        PolarWindowSetup s;
        s.InputBox = [this](QWidget*, const QString&, const QString& title, const QString& text) {
            prompts << title + QLatin1Char('|') + text;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
        s.MessageBox = [this](QWidget*, const QString& title, const QString& text) {
            messages << title + QLatin1Char('|') + text;
        };
        s.AskYesNo = [this](QWidget*, const QString& title, const QString& text) {
            questions << title + QLatin1Char('|') + text;
            return yes;
        };
        s.OpenFile = [this](QWidget*, const QString&, const QString&, const QString&, QString& chosen,
                            QString& error) {
            chosen = openPath;
            error = QStringLiteral("Cancel was selected.");
            return !openPath.isEmpty();
        };
        s.SaveFile = [this](QWidget*, const QString&, const QString&, const QString&, QString& chosen) {
            chosen = savePath;
            return !savePath.isEmpty();
        };
        s.ChooseColor = [this](QWidget*, const QColor&, QColor& chosen) {
            chosen = color;
            return color.isValid();
        };
        return s;
    }

    frmPolar& Open()
    {
        window = std::make_unique<frmPolar>(host, Setup());
        window->Form_Load();
        return *window;
    }

    // Shown, with a client area of the given size.
    void Show(QSize client)
    {
        window->show();
        QWidget* area = window->centralWidget();
        window->resize(window->size() + client - area->size());
        QCoreApplication::processEvents();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QByteArray ReadFile(const QString& name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QAction* Action(const QString& name) const { return window->findChild<QAction*>(name); }
    void Trigger(const QString& name) const { Action(name)->trigger(); }
};
