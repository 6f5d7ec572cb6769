#include "rivulet/views/RivuletSettingsWidget.h"

#include "lum/ui/UserPrompts.h"
#include "rivulet/results/ModelSelectionCriterion.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rivulet {

namespace {

QSpinBox* decimalsBox(const QString& name, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, 10);
    return box;
}

} // namespace

RivuletSettingsWidget::RivuletSettingsWidget(lum::UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Settings"));
    setBaseSize(574, 449);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabWidget"));

    auto* general = new QWidget;
    auto* decimals = new QGroupBox(QStringLiteral("Decimals Reported in Reports"), general);
    m_estimates = decimalsBox(QStringLiteral("estimatesSpinBox"), decimals);
    m_errors = decimalsBox(QStringLiteral("errorsSpinBox"), decimals);
    auto* decimalsForm = new QFormLayout(decimals);
    decimalsForm->addRow(QStringLiteral("Estimates:"), m_estimates);
    decimalsForm->addRow(QStringLiteral("Standard Errors: "), m_errors);
    auto* ui = new QGroupBox(QStringLiteral("User Interface Settings"), general);
    m_expert = new QCheckBox(QStringLiteral("Use expert mode - allow model selection"), ui);
    m_expert->setObjectName(QStringLiteral("expertCheckBox"));
    (new QVBoxLayout(ui))->addWidget(m_expert);
    auto* comparison = new QGroupBox(QStringLiteral("Model Comparison"), general);
    m_aicc =
        new QCheckBox(QStringLiteral("Mark the best model by AICc instead of AIC"), comparison);
    m_aicc->setObjectName(QStringLiteral("aiccCheckBox"));
    m_informed = new QCheckBox(
        QStringLiteral("Count only the parameters the data inform in AIC, AICc and the weights"),
        comparison);
    m_informed->setObjectName(QStringLiteral("informedCheckBox"));
    m_chat = new QDoubleSpinBox(comparison);
    m_chat->setObjectName(QStringLiteral("chatSpinBox"));
    m_chat->setDecimals(3);
    m_chat->setRange(1.0, 100.0);
    m_chat->setSingleStep(0.1);
    m_chat->setToolTip(QStringLiteral(
        "The study's variance inflation factor (c-hat), used by the next fit. Above 1 the "
        "comparison adds QAICc and its weights, standard errors are sqrt(c-hat) times wider, "
        "and averages use the QAICc weights."));
    m_bootstrap = new QSpinBox(comparison);
    m_bootstrap->setObjectName(QStringLiteral("bootstrapSpinBox"));
    m_bootstrap->setRange(10, 100000);
    auto* overdispersion = new QFormLayout;
    overdispersion->addRow(QStringLiteral("c-hat (variance inflation, 1 for none):"), m_chat);
    overdispersion->addRow(QStringLiteral("Goodness of fit bootstrap replicates:"), m_bootstrap);
    auto* comparisonLayout = new QVBoxLayout(comparison);
    comparisonLayout->addWidget(m_aicc);
    comparisonLayout->addWidget(m_informed);
    comparisonLayout->addLayout(overdispersion);
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(decimals);
    generalLayout->addWidget(ui);
    generalLayout->addWidget(comparison);
    generalLayout->addStretch();
    m_tabs->addTab(general, QStringLiteral("General"));

    auto* sites = new QWidget;
    auto* choice = new QGroupBox(sites);
    m_useDefault = new QRadioButton(QStringLiteral("Use default"), choice);
    m_useDefault->setChecked(true);
    m_useAlternate =
        new QRadioButton(QStringLiteral("Use alternate sites configuration file"), choice);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(m_useDefault);
    choiceLayout->addWidget(m_useAlternate);
    m_alternateGroup = new QGroupBox(QStringLiteral("Alternate sites configuration file"), sites);
    m_alternateGroup->setEnabled(false);
    m_alternateFile = new QLineEdit(m_alternateGroup);
    m_alternateFile->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("..."), m_alternateGroup);
    auto* fileLayout = new QHBoxLayout(m_alternateGroup);
    fileLayout->addWidget(m_alternateFile);
    fileLayout->addWidget(browse);
    auto* sitesLayout = new QVBoxLayout(sites);
    sitesLayout->addWidget(choice);
    sitesLayout->addWidget(m_alternateGroup);
    sitesLayout->addStretch();
    m_tabs->addTab(sites, QStringLiteral("Sites Configuration"));

    auto* advanced = new QWidget;
    auto* advancedGroup = new QGroupBox(QStringLiteral("Advanced Settings"), advanced);
    m_diagnostics = new QCheckBox(QStringLiteral("Show Diagnostic Tools"), advancedGroup);
    m_diagnostics->setObjectName(QStringLiteral("diagnosticsCheckBox"));
    m_profileAll = new QCheckBox(
        QStringLiteral("Profile-likelihood intervals for every parameter (slower fits)"),
        advancedGroup);
    m_profileAll->setObjectName(QStringLiteral("profileAllCheckBox"));
    auto* advancedGroupLayout = new QVBoxLayout(advancedGroup);
    advancedGroupLayout->addWidget(m_diagnostics);
    advancedGroupLayout->addWidget(m_profileAll);
    auto* advancedLayout = new QVBoxLayout(advanced);
    advancedLayout->addWidget(advancedGroup);
    advancedLayout->addStretch();
    m_tabs->addTab(advanced, QStringLiteral("Advanced"));
    m_tabs->setCurrentIndex(0);

    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setObjectName(QStringLiteral("applyButton"));
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("doneButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    const RivuletSettings& settings = RivuletSettings::instance();
    m_estimates->setValue(settings.estimatePrecision());
    m_errors->setValue(settings.errorPrecision());
    m_expert->setChecked(settings.expertMode());
    m_diagnostics->setChecked(settings.diagnosticsEnabled());
    m_profileAll->setChecked(settings.profileAll());
    m_aicc->setChecked(ModelSelectionCriterion::fromSettings() == ModelSelectionCriterion::Aicc);
    m_informed->setChecked(ModelSelectionCriterion::countFromSettings() ==
                           ModelSelectionCriterion::Count::Informed);
    // ĉ travels with the study's database: there is none to set before one is open.
    m_chat->setEnabled(settings.isRegistered(RivuletSettings::Chat));
    m_chat->setValue(settings.isRegistered(RivuletSettings::Chat) ? settings.chat() : 1.0);
    m_bootstrap->setValue(settings.gofBootstrapReplicates());
    // The file in use, so that closing the window with Done keeps it.
    m_alternateSitesConfigFile = settings.sitesConfigChoice();
    if (!m_alternateSitesConfigFile.isEmpty()) {
        m_useAlternate->setChecked(true);
        m_alternateGroup->setEnabled(true);
        m_alternateFile->setText(m_alternateSitesConfigFile);
    }
    m_apply->setEnabled(false);

    connect(m_estimates, qOverload<int>(&QSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(m_errors, qOverload<int>(&QSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(m_expert, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(m_diagnostics, &QCheckBox::stateChanged, this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(m_aicc, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(m_informed, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(m_profileAll, &QCheckBox::stateChanged, this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(m_chat, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(m_bootstrap, qOverload<int>(&QSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(browse, &QPushButton::clicked, this,
            &RivuletSettingsWidget::onSelectAlternateConfigFile);
    connect(m_useAlternate, &QRadioButton::toggled, this,
            &RivuletSettingsWidget::sitesConfigToggled);
    connect(m_apply, &QPushButton::clicked, this, &RivuletSettingsWidget::onApplyClicked);
    connect(m_done, &QPushButton::clicked, this, &RivuletSettingsWidget::onDoneClicked);
}

void RivuletSettingsWidget::onSettingsChanged()
{
    m_apply->setEnabled(true);
}

void RivuletSettingsWidget::onApplyClicked()
{
    RivuletSettings& settings = RivuletSettings::instance();
    const bool precisionChanged = settings.estimatePrecision() != m_estimates->value() ||
                                  settings.errorPrecision() != m_errors->value();
    const ModelSelectionCriterion::Kind criterion =
        m_aicc->isChecked() ? ModelSelectionCriterion::Aicc : ModelSelectionCriterion::Aic;
    const ModelSelectionCriterion::Count count = m_informed->isChecked()
                                                     ? ModelSelectionCriterion::Count::Informed
                                                     : ModelSelectionCriterion::Count::Free;
    const bool uiChanged = settings.diagnosticsEnabled() != m_diagnostics->isChecked() ||
                           settings.expertMode() != m_expert->isChecked() ||
                           ModelSelectionCriterion::fromSettings() != criterion ||
                           ModelSelectionCriterion::countFromSettings() != count;
    settings.setEstimatePrecision(m_estimates->value());
    settings.setErrorPrecision(m_errors->value());
    settings.setExpertMode(m_expert->isChecked());
    settings.setDiagnosticsEnabled(m_diagnostics->isChecked());
    // Read by the next fit.
    settings.setProfileAll(m_profileAll->isChecked());
    // Read by the next fit, like the profiles; stored only when it changes, so that a study
    // without a ĉ of its own keeps none.
    if (settings.isRegistered(RivuletSettings::Chat) && settings.chat() != m_chat->value())
        settings.setChat(m_chat->value());
    settings.setGofBootstrapReplicates(m_bootstrap->value());
    ModelSelectionCriterion::store(criterion);
    ModelSelectionCriterion::storeCount(count);
    m_apply->setEnabled(false);
    if (precisionChanged)
        emit precisionSettingsChanged();
    if (uiChanged)
        emit uiSettingsChanged();
}

void RivuletSettingsWidget::onDoneClicked()
{
    if (m_apply->isEnabled()) {
        // Closing the settings, not the program: say so, and offer to keep the changes.
        const QMessageBox::StandardButton answer = m_prompts.ask(
            this, QMessageBox::Question, QStringLiteral("Close Settings"),
            QStringLiteral("The settings have changes that are not applied yet. Apply them "
                           "before closing the settings?"),
            QMessageBox::Apply | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Apply);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Apply) {
            onApplyClicked();
            // Refused (it said why): the dialog stays open on the changes.
            if (m_apply->isEnabled())
                return;
        }
    }
    emit doneClicked();
}

void RivuletSettingsWidget::onSelectAlternateConfigFile()
{
    m_alternateSitesConfigFile = m_prompts.openFileName(
        this, QStringLiteral("Select alternate sites configuration file"), QString(), QString());
    m_alternateFile->setText(m_alternateSitesConfigFile);
    if (!m_alternateSitesConfigFile.isEmpty())
        validate();
}

void RivuletSettingsWidget::sitesConfigToggled()
{
    m_prompts.tell(this, QMessageBox::Warning, QStringLiteral("Sites Configuration"),
                   QStringLiteral("Changing the sites configuration file will only affect "
                                  "subsequently\nloaded data, not data currently loaded."));
    m_alternateGroup->setEnabled(m_useAlternate->isChecked());
    if (m_useDefault->isChecked()) {
        m_alternateSitesConfigFile.clear();
        m_alternateFile->clear();
    }
    validate();
}

void RivuletSettingsWidget::validate()
{
    const bool valid = m_useDefault->isChecked() || !m_alternateFile->text().isEmpty();
    m_done->setEnabled(valid);
    m_apply->setEnabled(valid);
}

} // namespace rivulet
