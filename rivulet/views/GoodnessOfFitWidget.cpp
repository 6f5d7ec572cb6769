#include "rivulet/views/GoodnessOfFitWidget.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/GofJob.h"
#include "rivulet/study/Study.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace rivulet {

namespace {

QString number(double value)
{
    return QString::number(value, 'f', 3);
}

QString optionalNumber(const std::optional<double>& value)
{
    return value ? number(*value) : QStringLiteral("n/a");
}

} // namespace

GoodnessOfFitWidget::GoodnessOfFitWidget(const Study& study, QWidget* parent)
    : JobRunWidget(parent), study_(study)
{
    setWindowTitle(QStringLiteral("Goodness of Fit"));
    replicates_ = new QSpinBox(this);
    replicates_->setObjectName(QStringLiteral("replicatesSpinBox"));
    replicates_->setRange(0, 100000);
    replicates_->setValue(RivuletSettings::instance().gofBootstrapReplicates());
    replicates_->setToolTip(QStringLiteral("Simulated studies of the parametric bootstrap (0: "
                                           "none)"));
    seed_ = new QSpinBox(this);
    seed_->setObjectName(QStringLiteral("seedSpinBox"));
    seed_->setRange(0, 1000000000);
    seed_->setValue(1);
    auto* controls = new QHBoxLayout;
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Bootstrap replicates:"), replicates_);
    form->addRow(QStringLiteral("Seed:"), seed_);
    controls->addLayout(form);
    controls->addWidget(runButton());
    controls->addWidget(cancelButton());
    controls->addWidget(progressBar(), 1);

    table_ = new QTableWidget(0, 7, this);
    table_->setObjectName(QStringLiteral("componentTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Test"), QStringLiteral("Year"),
                                       QStringLiteral("Site"), QStringLiteral("Chi-square"),
                                       QStringLiteral("df"), QStringLiteral("P"),
                                       QStringLiteral("Note")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    chat_ = newStateLabel(QStringLiteral("chatLabel"),
                          QStringLiteral("Run to compute the goodness of fit."));
    chart_ =
        newChartView(QStringLiteral("devianceChart"), QStringLiteral("Bootstrap deviances"), 320);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(table_);
    splitter->addWidget(chart_);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(chat_);
    layout->addWidget(splitter, 1);
}

GoodnessOfFitWidget::~GoodnessOfFitWidget()
{
    // The job reads the study: it must have stopped before the window (and the study) go.
    stop();
}

lum::ThreadRunnable* GoodnessOfFitWidget::prepareRun()
{
    GofJob::Options options;
    options.replicates = replicates_->value();
    options.seed = static_cast<std::uint64_t>(seed_->value());
    job_ = std::make_unique<GofJob>(study_, options, runner());
    chat_->setText(QStringLiteral("Running..."));
    return job_.get();
}

void GoodnessOfFitWidget::showRun(const QString& state)
{
    showComponents();
    showChat(state);
    showHistogram();
}

void GoodnessOfFitWidget::showComponents()
{
    table_->setRowCount(0);
    if (!job_)
        return;
    const gof::ComponentSummary& summary = job_->components();
    const QStringList sites = study_.sites().shortNames();
    const QList<int> years = study_.years().years();
    const auto addRow = [this](const QStringList& texts) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        for (int c = 0; c < texts.size(); ++c)
            table_->setItem(row, c, tableCell(texts[c], c >= 3 && c <= 5));
    };
    for (const gof::ComponentTable& table : summary.tables) {
        addRow({QLatin1String(gof::componentName(table.component)),
                table.stratum >= 0 && table.stratum < years.size()
                    ? QString::number(years[table.stratum])
                    : QString::number(table.stratum + 1),
                sites.value(table.occasion, QString::number(table.occasion + 1)),
                number(table.test.chiSquare), QString::number(table.test.df), number(table.test.p),
                table.test.fisher ? QStringLiteral("Fisher's exact test") : QString()});
    }
    const std::pair<const char*, const gof::Total*> totals[] = {
        {"3.SR", &summary.sr3},       {"3.Sm", &summary.sm3}, {"Test 3", &summary.test3},
        {"2.CT", &summary.ct2},       {"2.CL", &summary.cl2}, {"Test 2", &summary.test2},
        {"Overall", &summary.overall}};
    for (const auto& [name, total] : totals) {
        addRow({QLatin1String(name), QString(), QStringLiteral("total"), number(total->chiSquare),
                QString::number(total->df), number(total->p), QString()});
    }
    table_->resizeColumnsToContents();
}

void GoodnessOfFitWidget::showChat(const QString& state)
{
    if (!job_) {
        chat_->setText(state);
        return;
    }
    const gof::ComponentSummary& summary = job_->components();
    QStringList lines;
    if (!state.isEmpty())
        lines << state;
    lines << QStringLiteral("Component tests: overall X² %1 on %2 df (P %3), c-hat %4; "
                            "transience z %5, trap dependence z %6.")
                 .arg(number(summary.overall.chiSquare))
                 .arg(summary.overall.df)
                 .arg(number(summary.overall.p), optionalNumber(summary.cHat),
                      optionalNumber(summary.zTransience), optionalNumber(summary.zTrapDependence));
    if (job_->hasModelFit()) {
        const gof::ParametricBootstrap::Result& fit = job_->modelFit();
        lines << QStringLiteral("Most general model %1: deviance %2; Pearson X² %3 on %4 df, "
                                "Fletcher's c-hat %5.")
                     .arg(fit.model, number(fit.deviance), number(fit.pearson.chiSquare))
                     .arg(fit.pearson.df)
                     .arg(optionalNumber(fit.pearson.fletcherChat));
        if (fit.requested > 0)
            lines << QStringLiteral("Bootstrap (%1 simulated studies, seed %2, %3 fitted): mean "
                                    "deviance %4, c-hat %5, P %6.")
                         .arg(fit.requested)
                         .arg(fit.seed)
                         .arg(fit.deviances.size())
                         .arg(optionalNumber(fit.meanDeviance), optionalNumber(fit.chat),
                              optionalNumber(fit.p));
    } else if (!job_->modelError().isEmpty()) {
        lines << job_->modelError();
    }
    chat_->setText(lines.join(QLatin1Char('\n')));
}

void GoodnessOfFitWidget::showHistogram()
{
    QtCharts::QChart* chart = chart_->chart();
    chart->removeAllSeries();
    for (QtCharts::QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    if (!job_ || !job_->hasModelFit() || job_->modelFit().canceled ||
        job_->modelFit().deviances.empty())
        return;
    const gof::ParametricBootstrap::Result& fit = job_->modelFit();
    const std::vector<double>& deviances = fit.deviances;
    double low = std::min(*std::min_element(deviances.begin(), deviances.end()), fit.deviance);
    double high = std::max(*std::max_element(deviances.begin(), deviances.end()), fit.deviance);
    if (!(high > low))
        high = low + 1.0;
    // About the square root of the replicates for bins, at least 5.
    const int bins = std::max(5, static_cast<int>(std::ceil(std::sqrt(deviances.size()))));
    const double width = (high - low) / bins;
    std::vector<int> counts(static_cast<std::size_t>(bins), 0);
    for (const double deviance : deviances)
        ++counts[static_cast<std::size_t>(
            std::min(bins - 1, static_cast<int>((deviance - low) / width)))];
    auto* outline = new QtCharts::QLineSeries;
    outline->append(low, 0.0);
    for (int b = 0; b < bins; ++b) {
        outline->append(low + b * width, counts[static_cast<std::size_t>(b)]);
        outline->append(low + (b + 1) * width, counts[static_cast<std::size_t>(b)]);
    }
    outline->append(high, 0.0);
    auto* histogram = new QtCharts::QAreaSeries(outline);
    histogram->setName(QStringLiteral("Simulated deviances"));
    histogram->setColor(QColor(120, 160, 210));
    histogram->setBorderColor(QColor(40, 80, 140));
    const int top = *std::max_element(counts.begin(), counts.end());
    auto* observed = new QtCharts::QLineSeries;
    observed->setName(QStringLiteral("Observed deviance %1").arg(number(fit.deviance)));
    observed->append(fit.deviance, 0.0);
    observed->append(fit.deviance, top * 1.05);
    QPen pen(Qt::red);
    pen.setWidth(3);
    observed->setPen(pen);
    chart->addSeries(histogram);
    chart->addSeries(observed);
    auto* x = new QtCharts::QValueAxis;
    x->setTitleText(QStringLiteral("Deviance"));
    x->setRange(low - width, high + width);
    auto* y = new QtCharts::QValueAxis;
    y->setTitleText(QStringLiteral("Replicates"));
    y->setRange(0.0, top * 1.1);
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QtCharts::QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

} // namespace rivulet
