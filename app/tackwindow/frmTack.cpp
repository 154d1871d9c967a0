#include "frmTack.h"

#include "NumberText.h"
#include "CoreRunner.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString Degrees = QStringLiteral("\u00B0");

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit* NewBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaximumWidth(70);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// The unit beside a box, named after it: txtRate, lblRateUnit.
QLabel* Unit(QLineEdit* box, const QString& unit)
{
    auto* label = new QLabel(unit, box->parentWidget());
    label->setObjectName(QStringLiteral("lbl") + box->objectName().mid(3) + QStringLiteral("Unit"));
    return label;
}

int Whole(float value)
{
    return NumberText::ToInt32Saturated(NumberText::RoundHalfEven(std::fabs(double(value))));
}

} // namespace

frmTack::frmTack(CoreRunner& core, QWidget* parent) : QDialog(parent), m_core(core)
{
    setObjectName(QStringLiteral("frmTack"));
    setWindowTitle(QStringLiteral("Vanehold - Tack"));
    setModal(false);

    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    auto* left = new QVBoxLayout;
    top->addLayout(left);
    auto* heading = new QHBoxLayout;
    heading->addWidget(NewLabel(this, "lblHeading", QStringLiteral("Heading")));
    txtHeading = NewBox(this, "txtHeading");
    heading->addWidget(txtHeading);
    heading->addWidget(Unit(txtHeading, Degrees));
    left->addLayout(heading);

    fraOptions = new QGroupBox(QStringLiteral("Options"), this);
    fraOptions->setObjectName(QStringLiteral("fraOptions"));
    auto* options = new QGridLayout(fraOptions);
    lblOvershoot = NewLabel(fraOptions, "lblOvershoot", QStringLiteral("Overshoot"));
    txtOvershoot = NewBox(fraOptions, "txtOvershoot");
    QLabel* lblRate = NewLabel(fraOptions, "lblRate", QStringLiteral("Rate"));
    lblRate->setToolTip(QStringLiteral("Rate of Change (deg/sec)"));
    txtRate = NewBox(fraOptions, "txtRate");
    txtRate->setToolTip(lblRate->toolTip());
    lblOvershootUnit = Unit(txtOvershoot, Degrees);
    options->addWidget(lblOvershoot, 0, 0);
    options->addWidget(txtOvershoot, 0, 1);
    options->addWidget(lblOvershootUnit, 0, 2);
    options->addWidget(lblRate, 1, 0);
    options->addWidget(txtRate, 1, 1);
    options->addWidget(Unit(txtRate, Degrees + QStringLiteral("/s")), 1, 2);
    left->addWidget(fraOptions);
    left->addStretch(1);

    lstTack = new QListWidget(this);
    lstTack->setObjectName(QStringLiteral("lstTack"));
    lstTack->setFocusPolicy(Qt::NoFocus);
    lstTack->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("1) Set tracking mode to Manual")) + 24);
    lstTack->setMaximumHeight(6 * fontMetrics().lineSpacing() + 8);
    top->addWidget(lstTack, 1);

    ProgressBarTack = new QProgressBar(this);
    ProgressBarTack->setObjectName(QStringLiteral("ProgressBarTack"));
    ProgressBarTack->setTextVisible(false);
    ProgressBarTack->hide();
    outer->addWidget(ProgressBarTack);
    lblStatus = NewLabel(this, "lblStatus", QString());
    outer->addWidget(lblStatus);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter always means OK: a Cancel that kept the focus from the last
    // proposal must not become the default of the next.
    cmdCancel->setAutoDefault(false);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    outer->addLayout(buttons);
    connect(cmdOk, &QPushButton::clicked, this, &frmTack::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTack::cmdCancel_Click);

    TackProcedure* tack = &m_core.Core().Tack();
    connect(tack, &TackProcedure::Proposed, this, &frmTack::ShowProposal);
    connect(tack, &TackProcedure::Started, this, &frmTack::ShowStart);
    connect(tack, &TackProcedure::Stepped, this, &frmTack::ShowStep);
    connect(tack, &TackProcedure::Closed, this, [this](bool) { hide(); });
}

frmTack::~frmTack()
{
    Form_Unload();
}

void frmTack::Form_Load()
{
    m_core.Ask([](SteeringCore& core) { core.Tack().TackProfileRecall(core.ProfileFile()); });
    m_bLoaded = true;
}

void frmTack::Form_Unload()
{
    if (!m_bLoaded)
        return;
    m_bLoaded = false;
    m_core.Ask([](SteeringCore& core) { core.Tack().TackProfileSave(core.ProfileFile()); });
}

void frmTack::SetValue(float SteerTo, float Heading, float AutoPilot, float WindAngle)
{
    ProgressBarTack->hide();
    m_core.Post([=](SteeringCore& core) { core.TackSetValue(SteerTo, Heading, AutoPilot, WindAngle); });
}

void frmTack::ShowProposal()
{
    struct Proposal {
        int index;
        float overshoot, rate, steerTo;
        QStringList steps;
        QString word;
    };
    const Proposal tack = m_core.Ask([](SteeringCore& core) {
        const TackProcedure& t = core.Tack();
        const int i = t.ProcedureIndex();
        return Proposal{i, t.m_fOvershoot[i], t.m_fRate[i], t.SteerTo(), t.Steps(), t.Word()};
    });
    const int index = tack.index;
    cmdCancel->setEnabled(true);
    cmdOk->setEnabled(true);
    txtOvershoot->setText(NumberText::Format(tack.overshoot, u"0"));
    txtRate->setText(NumberText::Format(tack.rate, u"0"));
    txtOvershoot->setEnabled(true);
    txtRate->setEnabled(true);
    lstTack->clear();
    lstTack->addItems(tack.steps);
    const bool overshoot = index != TackProcedure::Steer;
    lblOvershoot->setVisible(overshoot);
    txtOvershoot->setVisible(overshoot);
    lblOvershootUnit->setVisible(overshoot);
    lblStatus->clear();
    setWindowTitle(QStringLiteral("Vanehold - ") + tack.word);
    txtHeading->setText(NumberText::Format(tack.steerTo, u"0"));
    cmdOk->setDefault(true);
    show();
    raise();
    activateWindow();
    // Each proposal starts where the sailor would change it.
    txtHeading->setFocus();
    txtHeading->selectAll();
}

void frmTack::ShowStart()
{
    cmdOk->setEnabled(false);
    txtRate->setEnabled(false);
    txtOvershoot->setEnabled(false);
    lblStatus->clear();
    // A change of 0 still has a bar: it fills at the first tick.
    ProgressBarTack->setRange(
        0, std::max(1, Whole(m_core.Ask([](SteeringCore& core) { return core.Tack().Total(); }))));
    ProgressBarTack->setValue(0);
    ProgressBarTack->show();
}

void frmTack::ShowStep()
{
    struct Step {
        float done, total, heading;
    };
    const Step step = m_core.Ask([](SteeringCore& core) {
        const TackProcedure& t = core.Tack();
        return Step{t.ProgressDone(), t.Total(), t.StepHeading()};
    });
    ProgressBarTack->setValue(step.done == step.total ? ProgressBarTack->maximum() : Whole(step.done));
    txtHeading->setText(NumberText::Format(step.heading, u"0"));
}

void frmTack::cmdOk_Click()
{
    QString why;
    const QString heading = txtHeading->text(), overshoot = txtOvershoot->text(), rate = txtRate->text();
    if (!m_core.Ask([&](SteeringCore& core) { return core.TackStart(heading, overshoot, rate, why); }))
        lblStatus->setText(why);
}

void frmTack::cmdCancel_Click()
{
    m_core.Post([](SteeringCore& core) { core.TackCancel(); });
    hide();
}

void frmTack::reject()
{
    cmdCancel_Click();
}
