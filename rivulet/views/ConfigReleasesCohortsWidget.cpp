#include "rivulet/views/ConfigReleasesCohortsWidget.h"

#include "lum/ui/UserPrompts.h"
#include "rivulet/study/StudyConfiguration.h"
#include "rivulet/views/ConfigCohortsTableModel.h"
#include "rivulet/views/ConfigReleasesTableModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace rivulet {

namespace {

QTableView* checkTable(QAbstractItemModel* model)
{
    auto* view = new QTableView;
    view->setModel(model);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->hide();
    view->setSelectionMode(QAbstractItemView::NoSelection);
    return view;
}

} // namespace

ConfigReleasesCohortsWidget::ConfigReleasesCohortsWidget(Study& study, lum::UserPrompts& prompts,
                                                         QWidget* parent)
    : QWidget(parent), prompts_(prompts),
      configuration_(std::make_unique<StudyConfiguration>(study)),
      releasesModel_(new ConfigReleasesTableModel(*configuration_, this)),
      cohortsModel_(new ConfigCohortsTableModel(*configuration_, this)),
      releasesView_(checkTable(releasesModel_)), cohortsView_(checkTable(cohortsModel_)),
      applyButton_(new QPushButton(QStringLiteral("Apply"))),
      doneButton_(new QPushButton(QStringLiteral("Done")))
{
    setObjectName(QStringLiteral("ConfigReleasesCohortsWidget"));
    setWindowTitle(QStringLiteral("Releases and Cohorts Configuration"));
    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    auto* layout = new QVBoxLayout(this);
    auto* tables = new QHBoxLayout;
    auto* releases = new QGroupBox(QStringLiteral("Select Releases"));
    (new QVBoxLayout(releases))->addWidget(releasesView_);
    auto* cohorts = new QGroupBox(QStringLiteral("Select Cohorts"));
    auto* cohortsLayout = new QVBoxLayout(cohorts);
    cohortsLayout->addWidget(cohortsView_);
    // The check boxes choose one cohort or none; say so, since they look like a multiple choice.
    auto* cohortsNote = new QLabel(QStringLiteral("Check one cohort to analyse it alone; with "
                                                  "none checked, every cohort takes part."),
                                   cohorts);
    cohortsNote->setObjectName(QStringLiteral("cohortsNote"));
    cohortsNote->setWordWrap(true);
    cohortsLayout->addWidget(cohortsNote);
    tables->addWidget(releases, 3);
    tables->addWidget(cohorts, 2);
    layout->addLayout(tables);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton_);
    buttons->addWidget(doneButton_);
    layout->addLayout(buttons);

    connect(releasesModel_, &QAbstractItemModel::dataChanged, this,
            &ConfigReleasesCohortsWidget::onDataChanged);
    connect(cohortsModel_, &QAbstractItemModel::dataChanged, this,
            &ConfigReleasesCohortsWidget::onDataChanged);
    connect(applyButton_, &QPushButton::clicked, this, &ConfigReleasesCohortsWidget::onApply);
    connect(doneButton_, &QPushButton::clicked, this, &ConfigReleasesCohortsWidget::onDone);
    reload();
}

ConfigReleasesCohortsWidget::~ConfigReleasesCohortsWidget() = default;

void ConfigReleasesCohortsWidget::reload()
{
    releasesModel_->load();
    cohortsModel_->load();
    applyButton_->setEnabled(false);
}

void ConfigReleasesCohortsWidget::onDataChanged()
{
    applyButton_->setEnabled(releasesModel_->hasChanges() || cohortsModel_->hasChanges());
}

void ConfigReleasesCohortsWidget::onApply()
{
    releasesModel_->apply();
    cohortsModel_->apply();
    applyButton_->setEnabled(false);
    emit dataChanged();
}

void ConfigReleasesCohortsWidget::onDone()
{
    if (applyButton_->isEnabled() &&
        prompts_.ask(this, QMessageBox::Question, QStringLiteral("Configure Releases and Cohorts"),
                     QStringLiteral("There are unsaved changes. Discard and Exit?"),
                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    emit doneClicked();
}

} // namespace rivulet
