#pragma once
// A Polar window on a temporary program folder and profile, with every
// dialog replaced by a recorder. The program folder is <temp>/bin and the
// shipped polar lies in <temp>/share/vanehold/polars, as after installing.

#include "NumberText.h"
#include "ProfileStore.h"
#include "frmPolar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct PolarRig : PolarHost {
    QTemporaryDir dir;
    QStringList chart;     // "name=value" of each chart reading
    QStringList answers;   // input box answers, in order; then empty
    QStringList prompts;   // "title|default text" of each input box
    QStringList messages;  // "title|text" of each message box and question
    bool yes = false;
    QString chosen;        // path or colour name the next dialog returns; empty cancels
    std::unique_ptr<frmPolar> window;

    PolarRig()
    {
        QDir(dir.path()).mkpath(QStringLiteral("bin"));
        QDir(dir.path()).mkpath(QStringLiteral("share/vanehold/polars"));
        QFile::copy(QStringLiteral(VANEHOLD_POLAR_DATA "/Fast Sled 60ft.pol"),
                    Path(QStringLiteral("share/vanehold/polars/Fast Sled 60ft.pol")));
    }
    QString ProfileFile() const override { return Path(QStringLiteral("bin/Vanehold.ini")); }
    QString ProgramFolder() const override { return Path(QStringLiteral("bin")); }
    void ChartSetValue(const QString& name, float value, const QString& units) override
    {
        chart << name + '=' + NumberText::Format(value, u"0.0") + ' ' + units;
    }
    QStringList tacks; // "SteerTo Heading WindAngle" of each Tack dialog request
    void TackRequest(float SteerTo, float Heading, float WindAngle) override
    {
        tacks << QStringList{NumberText::Format(SteerTo, u"0"), NumberText::Format(Heading, u"0"),
                             NumberText::Format(WindAngle, u"0")}
                     .join(' ');
    }

    frmPolar& Open()
    {
        PolarWindowSetup s;
        s.InputBox = [this](QWidget*, const QString&, const QString& title, const QString& text) {
            prompts << title + '|' + text;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
        s.MessageBox = [this](QWidget*, const QString& title, const QString& text) { messages << title + '|' + text; };
        s.AskYesNo = [this](QWidget*, const QString& title, const QString& text) {
            messages << title + '|' + text;
            return yes;
        };
        s.OpenFile = [this](QWidget*, const QString&, const QString&, const QString&, QString& path, QString& error) {
            path = chosen;
            error = QStringLiteral("Cancel was selected.");
            return !chosen.isEmpty();
        };
        s.SaveFile = [this](QWidget*, const QString&, const QString&, const QString&, QString& path) {
            path = chosen;
            return !chosen.isEmpty();
        };
        s.ChooseColor = [this](QWidget*, const QColor&, QColor& color) {
            color = QColor(chosen);
            return color.isValid();
        };
        window = std::make_unique<frmPolar>(*this, s);
        window->Form_Load();
        return *window;
    }

    // Shown, with a client area of the given size.
    void Show(QSize client)
    {
        window->show();
        window->resize(window->size() + client - window->centralWidget()->size());
        QCoreApplication::processEvents();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    void WriteFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    void Profile(const char16_t* section, const char16_t* key, const QString& value) const
    {
        QVERIFY(ProfileStore::Write(ProfileFile(), section, key, value));
    }
    QAction* Action(const QString& name) const { return window->findChild<QAction*>(name); }
    void Trigger(const QString& name) const { Action(name)->trigger(); }
};
