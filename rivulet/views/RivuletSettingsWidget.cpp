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
    : QWidget(parent), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Settings"));
    setBaseSize(574, 449);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabWidget"));

    auto* general = new QWidget;
    auto* decimals = new QGroupBox(QStringLiteral("Decimals Reported in Reports"), general);
    estimates_ = decimalsBox(QStringLiteral("estimatesSpinBox"), decimals);
    errors_ = decimalsBox(QStringLiteral("errorsSpinBox"), decimals);
    auto* decimalsForm = new QFormLayout(decimals);
    decimalsForm->addRow(QStringLiteral("Estimates:"), estimates_);
    decimalsForm->addRow(QStringLiteral("Standard Errors: "), errors_);
    auto* ui = new QGroupBox(QStringLiteral("User Interface Settings"), general);
    expert_ = new QCheckBox(QStringLiteral("Use expert mode - allow model selection"), ui);
    expert_->setObjectName(QStringLiteral("expertCheckBox"));
    (new QVBoxLayout(ui))->addWidget(expert_);
    auto* comparison = new QGroupBox(QStringLiteral("Model Comparison"), general);
    aicc_ = new QCheckBox(QStringLiteral("Mark the best model by AICc instead of AIC"), comparison);
    aicc_->setObjectName(QStringLiteral("aiccCheckBox"));
    informed_ = new QCheckBox(
        QStringLiteral("Count only the parameters the data inform in AIC, AICc and the weights"),
        comparison);
    informed_->setObjectName(QStringLiteral("informedCheckBox"));
    chat_ = new QDoubleSpinBox(comparison);
    chat_->setObjectName(QStringLiteral("chatSpinBox"));
    chat_->setDecimals(3);
    chat_->setRange(1.0, 100.0);
    chat_->setSingleStep(0.1);
    chat_->setToolTip(QStringLiteral(
        "The study's variance inflation factor (c-hat), used by the next fit. Above 1 the "
        "comparison adds QAICc and its weights, standard errors are sqrt(c-hat) times wider, "
        "and averages use the QAICc weights."));
    bootstrap_ = new QSpinBox(comparison);
    bootstrap_->setObjectName(QStringLiteral("bootstrapSpinBox"));
    bootstrap_->setRange(10, 100000);
    auto* overdispersion = new QFormLayout;
    overdispersion->addRow(QStringLiteral("c-hat (variance inflation, 1 for none):"), chat_);
    overdispersion->addRow(QStringLiteral("Goodness of fit bootstrap replicates:"), bootstrap_);
    auto* comparisonLayout = new QVBoxLayout(comparison);
    comparisonLayout->addWidget(aicc_);
    comparisonLayout->addWidget(informed_);
    comparisonLayout->addLayout(overdispersion);
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(decimals);
    generalLayout->addWidget(ui);
    generalLayout->addWidget(comparison);
    generalLayout->addStretch();
    tabs_->addTab(general, QStringLiteral("General"));

    auto* sites = new QWidget;
    auto* choice = new QGroupBox(sites);
    useDefault_ = new QRadioButton(QStringLiteral("Use default"), choice);
    useDefault_->setChecked(true);
    useAlternate_ =
        new QRadioButton(QStringLiteral("Use alternate sites configuration file"), choice);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(useDefault_);
    choiceLayout->addWidget(useAlternate_);
    alternateGroup_ = new QGroupBox(QStringLiteral("Alternate sites configuration file"), sites);
    alternateGroup_->setEnabled(false);
    alternateFile_ = new QLineEdit(alternateGroup_);
    alternateFile_->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("..."), alternateGroup_);
    auto* fileLayout = new QHBoxLayout(alternateGroup_);
    fileLayout->addWidget(alternateFile_);
    fileLayout->addWidget(browse);
    auto* sitesLayout = new QVBoxLayout(sites);
    sitesLayout->addWidget(choice);
    sitesLayout->addWidget(alternateGroup_);
    sitesLayout->addStretch();
    tabs_->addTab(sites, QStringLiteral("Sites Configuration"));

    auto* advanced = new QWidget;
    auto* advancedGroup = new QGroupBox(QStringLiteral("Advanced Settings"), advanced);
    diagnostics_ = new QCheckBox(QStringLiteral("Show Diagnostic Tools"), advancedGroup);
    diagnostics_->setObjectName(QStringLiteral("diagnosticsCheckBox"));
    profileAll_ = new QCheckBox(
        QStringLiteral("Profile-likelihood intervals for every parameter (slower fits)"),
        advancedGroup);
    profileAll_->setObjectName(QStringLiteral("profileAllCheckBox"));
    auto* advancedGroupLayout = new QVBoxLayout(advancedGroup);
    advancedGroupLayout->addWidget(diagnostics_);
    advancedGroupLayout->addWidget(profileAll_);
    auto* advancedLayout = new QVBoxLayout(advanced);
    advancedLayout->addWidget(advancedGroup);
    advancedLayout->addStretch();
    tabs_->addTab(advanced, QStringLiteral("Advanced"));
    tabs_->setCurrentIndex(0);

    apply_ = new QPushButton(QStringLiteral("Apply"), this);
    apply_->setObjectName(QStringLiteral("applyButton"));
    done_ = new QPushButton(QStringLiteral("Done"), this);
    done_->setObjectName(QStringLiteral("doneButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply_);
    buttons->addWidget(done_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    const RivuletSettings& settings = RivuletSettings::instance();
    estimates_->setValue(settings.estimatePrecision());
    errors_->setValue(settings.errorPrecision());
    expert_->setChecked(settings.expertMode());
    diagnostics_->setChecked(settings.diagnosticsEnabled());
    profileAll_->setChecked(settings.profileAll());
    aicc_->setChecked(ModelSelectionCriterion::fromSettings() == ModelSelectionCriterion::Aicc);
    informed_->setChecked(ModelSelectionCriterion::countFromSettings() ==
                          ModelSelectionCriterion::Count::Informed);
    // ĉ travels with the study's database: there is none to set before one is open.
    chat_->setEnabled(settings.isRegistered(RivuletSettings::Chat));
    chat_->setValue(settings.isRegistered(RivuletSettings::Chat) ? settings.chat() : 1.0);
    bootstrap_->setValue(settings.gofBootstrapReplicates());
    // The file in use, so that closing the window with Done keeps it.
    alternateSitesConfigFile_ = settings.sitesConfigChoice();
    if (!alternateSitesConfigFile_.isEmpty()) {
        useAlternate_->setChecked(true);
        alternateGroup_->setEnabled(true);
        alternateFile_->setText(alternateSitesConfigFile_);
    }
    apply_->setEnabled(false);

    connect(estimates_, qOverload<int>(&QSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(errors_, qOverload<int>(&QSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(expert_, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(diagnostics_, &QCheckBox::stateChanged, this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(aicc_, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(informed_, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(profileAll_, &QCheckBox::stateChanged, this, &RivuletSettingsWidget::onSettingsChanged);
    connect(chat_, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(bootstrap_, qOverload<int>(&QSpinBox::valueChanged), this,
            &RivuletSettingsWidget::onSettingsChanged);
    connect(browse, &QPushButton::clicked, this,
            &RivuletSettingsWidget::onSelectAlternateConfigFile);
    connect(useAlternate_, &QRadioButton::toggled, this,
            &RivuletSettingsWidget::sitesConfigToggled);
    connect(apply_, &QPushButton::clicked, this, &RivuletSettingsWidget::onApplyClicked);
    connect(done_, &QPushButton::clicked, this, &RivuletSettingsWidget::onDoneClicked);
}

void RivuletSettingsWidget::onSettingsChanged()
{
    apply_->setEnabled(true);
}

void RivuletSettingsWidget::onApplyClicked()
{
    RivuletSettings& settings = RivuletSettings::instance();
    const bool precisionChanged = settings.estimatePrecision() != estimates_->value() ||
                                  settings.errorPrecision() != errors_->value();
    const ModelSelectionCriterion::Kind criterion =
        aicc_->isChecked() ? ModelSelectionCriterion::Aicc : ModelSelectionCriterion::Aic;
    const ModelSelectionCriterion::Count count = informed_->isChecked()
                                                     ? ModelSelectionCriterion::Count::Informed
                                                     : ModelSelectionCriterion::Count::Free;
    const bool uiChanged = settings.diagnosticsEnabled() != diagnostics_->isChecked() ||
                           settings.expertMode() != expert_->isChecked() ||
                           ModelSelectionCriterion::fromSettings() != criterion ||
                           ModelSelectionCriterion::countFromSettings() != count;
    settings.setEstimatePrecision(estimates_->value());
    settings.setErrorPrecision(errors_->value());
    settings.setExpertMode(expert_->isChecked());
    settings.setDiagnosticsEnabled(diagnostics_->isChecked());
    // Read by the next fit.
    settings.setProfileAll(profileAll_->isChecked());
    // Read by the next fit, like the profiles; stored only when it changes, so that a study
    // without a ĉ of its own keeps none.
    if (settings.isRegistered(RivuletSettings::Chat) && settings.chat() != chat_->value())
        settings.setChat(chat_->value());
    settings.setGofBootstrapReplicates(bootstrap_->value());
    ModelSelectionCriterion::store(criterion);
    ModelSelectionCriterion::storeCount(count);
    apply_->setEnabled(false);
    if (precisionChanged)
        emit precisionSettingsChanged();
    if (uiChanged)
        emit uiSettingsChanged();
}

void RivuletSettingsWidget::onDoneClicked()
{
    if (apply_->isEnabled()) {
        // Closing the settings, not the program: say so, and offer to keep the changes.
        const QMessageBox::StandardButton answer = prompts_.ask(
            this, QMessageBox::Question, QStringLiteral("Close Settings"),
            QStringLiteral("The settings have changes that are not applied yet. Apply them "
                           "before closing the settings?"),
            QMessageBox::Apply | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Apply);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Apply) {
            onApplyClicked();
            // Refused (it said why): the dialog stays open on the changes.
            if (apply_->isEnabled())
                return;
        }
    }
    emit doneClicked();
}

void RivuletSettingsWidget::onSelectAlternateConfigFile()
{
    alternateSitesConfigFile_ = prompts_.openFileName(
        this, QStringLiteral("Select alternate sites configuration file"), QString(), QString());
    alternateFile_->setText(alternateSitesConfigFile_);
    if (!alternateSitesConfigFile_.isEmpty())
        validate();
}

void RivuletSettingsWidget::sitesConfigToggled()
{
    prompts_.tell(this, QMessageBox::Warning, QStringLiteral("Sites Configuration"),
                  QStringLiteral("Changing the sites configuration file will only affect "
                                 "subsequently\nloaded data, not data currently loaded."));
    alternateGroup_->setEnabled(useAlternate_->isChecked());
    if (useDefault_->isChecked()) {
        alternateSitesConfigFile_.clear();
        alternateFile_->clear();
    }
    validate();
}

void RivuletSettingsWidget::validate()
{
    const bool valid = useDefault_->isChecked() || !alternateFile_->text().isEmpty();
    done_->setEnabled(valid);
    apply_->setEnabled(valid);
}

} // namespace rivulet
