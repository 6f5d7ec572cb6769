#include "rivulet/views/StudyDesignWidget.h"

#include "lum/core/FileReplacer.h"
#include "lum/ui/UserPrompts.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/DesignJob.h"
#include "rivulet/study/Study.h"

#include <QBuffer>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace rivulet {

namespace {

QString figure(double value)
{
    return std::isfinite(value) ? QString::number(value, 'f', 4) : QStringLiteral("NA");
}

// A curve's name in the legend: the release alone for the survivals to the final site, which
// all end at the same site.
QString seriesName(const QString& quantity, const design::DesignTarget& shown)
{
    if (shown.quantity != QLatin1String("final") ||
        !quantity.startsWith(QLatin1String("survival ")))
        return quantity;
    const int to = quantity.lastIndexOf(QLatin1String(" to "));
    return quantity.mid(9, to > 9 ? to - 9 : -1);
}

// The target as typed, or none when the field is empty or does not read as one.
std::optional<design::DesignTarget> targetOf(const QLineEdit* edit)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const lum::Expected<design::DesignTarget> target = design::DesignTarget::parse(text);
    return target ? std::optional<design::DesignTarget>(*target) : std::nullopt;
}

} // namespace

StudyDesignWidget::StudyDesignWidget(const Study& study, lum::UserPrompts& prompts, QWidget* parent)
    : JobRunWidget(parent), m_study(study), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Study Design"));
    m_model = new QComboBox(this);
    m_model->setObjectName(QStringLiteral("modelBox"));
    const EstimationResults& results = study.results();
    for (int i = 0; i < results.count(); ++i)
        m_model->addItem(
            ModelCatalogue::modelName(study.catalogue().dataClass(), results.scheme(i)), i);
    m_model->setCurrentIndex(std::max(results.bestIndex(), 0));
    m_model->setToolTip(QStringLiteral("The fitted model whose estimates are taken as the truth"));
    m_fish = new QLineEdit(QStringLiteral("250,500,1000,2000"), this);
    m_fish->setObjectName(QStringLiteral("fishEdit"));
    m_fish->setToolTip(QStringLiteral("Numbers of fish per release to try, separated by commas"));
    m_replicates = new QSpinBox(this);
    m_replicates->setObjectName(QStringLiteral("replicatesSpinBox"));
    m_replicates->setRange(2, 100000);
    m_replicates->setValue(50);
    m_replicates->setToolTip(QStringLiteral("Simulated studies for each number of fish"));
    m_seed = new QSpinBox(this);
    m_seed->setObjectName(QStringLiteral("seedSpinBox"));
    m_seed->setRange(0, 1000000000);
    m_seed->setValue(1);
    m_target = new QLineEdit(QStringLiteral("final:10%"), this);
    m_target->setObjectName(QStringLiteral("targetEdit"));
    m_target->setToolTip(QStringLiteral("QUANTITY:CV, QUANTITY a name of the table or \"final\" "
                                        "for every release's survival to the final site"));
    m_saveCsv = new QPushButton(QStringLiteral("Save CSV..."), this);
    m_saveCsv->setEnabled(false);
    m_savePicture = new QPushButton(QStringLiteral("Save Picture..."), this);
    m_savePicture->setEnabled(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Model:"), m_model);
    form->addRow(QStringLiteral("Fish per release:"), m_fish);
    form->addRow(QStringLiteral("Replicates:"), m_replicates);
    form->addRow(QStringLiteral("Seed:"), m_seed);
    form->addRow(QStringLiteral("Target (quantity:CV):"), m_target);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(runButton());
    buttons->addWidget(cancelButton());
    buttons->addWidget(m_saveCsv);
    buttons->addWidget(m_savePicture);
    buttons->addStretch(1);
    auto* controls = new QHBoxLayout;
    controls->addLayout(form, 1);
    controls->addLayout(buttons);

    m_answer =
        newStateLabel(QStringLiteral("answerLabel"), QStringLiteral("Run to simulate the design."));
    m_chart = newChartView(QStringLiteral("cvChart"),
                           QStringLiteral("CV against fish per release (solid: simulated, "
                                          "dashed: expected information)"),
                           340);
    m_chart->chart()->legend()->setAlignment(Qt::AlignRight);

    m_table = new QTableWidget(0, 9, this);
    m_table->setObjectName(QStringLiteral("designTable"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Fish"), QStringLiteral("Quantity"), QStringLiteral("Truth"),
         QStringLiteral("Mean"), QStringLiteral("SD"), QStringLiteral("Mean SE"),
         QStringLiteral("Expected SE"), QStringLiteral("CV"), QStringLiteral("Coverage")});
    m_table->verticalHeader()->hide();

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_chart);
    splitter->addWidget(m_table);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(progressBar());
    layout->addWidget(m_answer);
    layout->addWidget(splitter, 1);

    connect(m_saveCsv, &QPushButton::clicked, this, &StudyDesignWidget::saveCsv);
    connect(m_savePicture, &QPushButton::clicked, this, &StudyDesignWidget::savePicture);
}

StudyDesignWidget::~StudyDesignWidget()
{
    // The job reads the study: it must have stopped before the window (and the study) go.
    stop();
}

lum::ThreadRunnable* StudyDesignWidget::prepareRun()
{
    if (m_model->count() == 0)
        return nullptr;
    const auto fish = design::parseFishList(m_fish->text());
    QString error = fish ? QString() : fish.error().text();
    if (fish && !m_target->text().trimmed().isEmpty()) {
        if (const auto target = design::DesignTarget::parse(m_target->text().trimmed()); !target)
            error = target.error().text();
    }
    if (!error.isEmpty()) {
        m_answer->setText(QStringLiteral("Not run: ") + error + QLatin1Char('.'));
        return nullptr;
    }
    DesignJob::Options options;
    options.fish = *fish;
    options.replicates = m_replicates->value();
    options.seed = static_cast<std::uint64_t>(m_seed->value());
    m_job = std::make_unique<DesignJob>(m_study, m_model->currentData().toInt(), options, runner());
    m_saveCsv->setEnabled(false);
    m_savePicture->setEnabled(false);
    m_answer->setText(QStringLiteral("Running..."));
    return m_job.get();
}

void StudyDesignWidget::showRun(const QString& state)
{
    const bool figures = m_job && !m_job->result().rows.empty();
    m_saveCsv->setEnabled(figures);
    m_savePicture->setEnabled(figures);
    showTable();
    showChart();
    showAnswer(state);
}

void StudyDesignWidget::showTable()
{
    m_table->setRowCount(0);
    if (!m_job)
        return;
    const std::vector<design::DesignRow>& rows = m_job->result().rows;
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const design::DesignRow& row = rows[static_cast<std::size_t>(r)];
        const QStringList texts = {QString::number(row.fish), row.quantity,   figure(row.truth),
                                   figure(row.mean),          figure(row.sd), figure(row.meanSe),
                                   figure(row.expectedSe),    figure(row.cv), figure(row.coverage)};
        for (int c = 0; c < texts.size(); ++c)
            m_table->setItem(r, c, tableCell(texts[c], c != 1));
    }
    m_table->resizeColumnsToContents();
    // Columns cut to their widest figure run together; a little room sets them apart.
    const int room = 2 * m_table->fontMetrics().averageCharWidth();
    for (int c = 0; c < m_table->columnCount(); ++c) {
        if (c != 1) // the quantity's text is left-aligned: the figures' room parts it already
            m_table->setColumnWidth(c, m_table->columnWidth(c) + room);
    }
}

void StudyDesignWidget::showChart()
{
    QtCharts::QChart* chart = m_chart->chart();
    chart->removeAllSeries();
    for (QtCharts::QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    if (!m_job || m_job->result().rows.empty())
        return;
    const std::vector<design::DesignRow>& rows = m_job->result().rows;
    // The quantities of the target; without one, every release's survival to the final site.
    const std::optional<design::DesignTarget> target = targetOf(m_target);
    const design::DesignTarget shown =
        target ? *target : design::DesignTarget{QStringLiteral("final"), 0.0};
    QStringList names;
    for (const design::DesignRow& row : rows) {
        if (shown.matches(row) && !names.contains(row.quantity))
            names << row.quantity;
    }
    const std::vector<int>& fish = m_job->result().fish;
    double top = target ? target->cv : 0.0;
    const QList<QColor> colours = {QColor(31, 119, 180),  QColor(44, 160, 44),
                                   QColor(148, 103, 189), QColor(140, 86, 75),
                                   QColor(23, 190, 207),  QColor(188, 189, 34)};
    for (int n = 0; n < names.size(); ++n) {
        auto* simulated = new QtCharts::QLineSeries;
        auto* expected = new QtCharts::QLineSeries;
        simulated->setName(seriesName(names[n], shown));
        for (const design::DesignRow& row : rows) {
            if (row.quantity != names[n])
                continue;
            if (std::isfinite(row.cv)) {
                simulated->append(std::log10(row.fish), row.cv);
                top = std::max(top, row.cv);
            }
            if (std::isfinite(row.expectedSe) && row.truth > 0.0) {
                expected->append(std::log10(row.fish), row.expectedSe / row.truth);
                top = std::max(top, row.expectedSe / row.truth);
            }
        }
        const QColor colour = colours[n % colours.size()];
        QPen pen(colour);
        pen.setWidth(2);
        simulated->setPen(pen);
        simulated->setPointsVisible(true);
        pen.setStyle(Qt::DashLine);
        pen.setWidth(1);
        expected->setPen(pen);
        chart->addSeries(simulated);
        chart->addSeries(expected);
        // The dashed twin takes the solid one's colour; the title says what dashed means.
        for (QtCharts::QLegendMarker* marker : chart->legend()->markers(expected))
            marker->setVisible(false);
    }
    if (target) {
        auto* line = new QtCharts::QLineSeries;
        line->setName(QStringLiteral("Target %1").arg(target->cv));
        line->append(std::log10(fish.front()), target->cv);
        line->append(std::log10(fish.back()), target->cv);
        QPen pen(Qt::red);
        pen.setWidth(2);
        line->setPen(pen);
        chart->addSeries(line);
    }
    // Fish on a log scale (the CV falls as one over their root), ticked at the numbers run.
    auto* x = new QtCharts::QCategoryAxis;
    x->setTitleText(QStringLiteral("Fish per release"));
    x->setLabelsPosition(QtCharts::QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(std::log10(fish.front() / 1.2), std::log10(fish.back() * 1.2));
    for (const int number : fish)
        x->append(QString::number(number), std::log10(number));
    auto* y = new QtCharts::QValueAxis;
    y->setTitleText(QStringLiteral("CV"));
    y->setRange(0.0, top > 0.0 ? top * 1.1 : 1.0);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QtCharts::QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

void StudyDesignWidget::showAnswer(const QString& state)
{
    QStringList lines;
    if (!state.isEmpty())
        lines << state;
    if (m_job && !m_job->result().rows.empty()) {
        const design::DesignRun::Result& result = m_job->result();
        lines << QStringLiteral("%1 replicates of each number of fish (seed %2), %3 not "
                                "converged; %4 s.")
                     .arg(result.replicates)
                     .arg(result.seed)
                     .arg(result.failed)
                     .arg(QString::number(result.wallSeconds, 'f', 1));
        if (const std::optional<design::DesignTarget> target = targetOf(m_target)) {
            const design::DesignAnswer answer = design::answerTarget(result.rows, *target);
            if (!answer.found)
                lines << QStringLiteral("Target CV %1 on %2: no answer, %3.")
                             .arg(target->cv)
                             .arg(target->quantity, answer.reason);
            else
                lines << QStringLiteral("Target CV %1 on %2: %3 fish per release (%4 needs the "
                                        "most)%5.")
                             .arg(target->cv)
                             .arg(target->quantity)
                             .arg(answer.fish)
                             .arg(answer.quantity)
                             .arg(answer.extrapolated
                                      ? QStringLiteral(", beyond the numbers simulated")
                                      : QString());
        }
    }
    m_answer->setText(lines.join(QLatin1Char('\n')));
}

bool StudyDesignWidget::saveCsv()
{
    if (!m_job || m_job->result().rows.empty())
        return false;
    const QString path =
        m_prompts.saveFileName(this, QStringLiteral("Save the design as CSV"),
                               QStringLiteral("design.csv"), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return false;
    const lum::Expected<void> written =
        lum::FileReplacer(path).replace(design::designCsv(m_job->result().rows).toUtf8());
    if (!written) {
        m_prompts.tell(this, QMessageBox::Warning, windowTitle(), written.error().text());
        return false;
    }
    return true;
}

bool StudyDesignWidget::savePicture()
{
    if (!m_job || m_job->result().rows.empty())
        return false;
    const QString path = m_prompts.saveFileName(this, QStringLiteral("Save the chart as a picture"),
                                                QStringLiteral("design.png"),
                                                QStringLiteral("PNG pictures (*.png)"));
    if (path.isEmpty())
        return false;
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    const lum::Expected<void> written = m_chart->grab().save(&buffer, "PNG")
                                            ? lum::FileReplacer(path).replace(encoded)
                                            : lum::Expected<void>(lum::Error());
    if (!written) {
        // An image that could not be encoded has no reason of its own to add.
        m_prompts.tell(this, QMessageBox::Warning, windowTitle(),
                       QStringLiteral("The picture could not be saved to \"%1\". %2")
                           .arg(path, written.error().text()));
        return false;
    }
    return true;
}

} // namespace rivulet
