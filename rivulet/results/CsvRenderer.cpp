#include "rivulet/results/CsvRenderer.h"

#include "lum/report/CsvText.h"
#include "rivulet/results/ReportDocument.h"
#include "rivulet/results/ReportNumbers.h"

#include <QTextStream>

namespace rivulet {

namespace {

void writeHeader(QTextStream& out, const ModelHeader& header)
{
    out << "Releases\n";
    for (const QString& name : header.releases)
        out << lum::csvField(name) << '\n';
    out << '\n';
    out << "Model:," << lum::csvField(header.code) << '\n';
    out << "# releases:," << header.releaseCount << '\n';
    out << "# sites:," << header.siteCount << '\n';
    out << "# years:," << header.yearCount << '\n';
    out << "# parameters:," << header.parameterCount << '\n';
    out << "log-likelihood:,";
    ReportNumbers::writeNumber(out, header.logLikelihood);
    out << '\n';
    out << "AIC:,";
    ReportNumbers::writeNumber(out, header.aic);
    out << '\n';
    if (!header.fitStatus.isEmpty())
        out << "fit:," << lum::csvField(header.fitStatus) << '\n';
    if (header.chat != 1.0)
        out << "c-hat:," << QString::number(header.chat, 'g', 12)
            << ",standard errors and intervals inflated by sqrt(c-hat)\n";
    out << '\n';
}

QString joinedLabels(const QStringList& labels)
{
    QStringList fields;
    for (const QString& label : labels)
        fields << lum::csvField(label);
    return fields.join(QLatin1Char(','));
}

// Every estimate column is two fields wide; its title stands in the first.
void writeTable(QTextStream& out, const ReportTable& table)
{
    out << joinedLabels(table.csvLabels);
    for (int j = 0; j < table.csvValueTitles.size(); ++j)
        out << (j > 0 ? "," : "") << ',' << lum::csvField(table.csvValueTitles.at(j));
    out << '\n';
    out << table.csvCaption;
    for (int c = 1; c < table.labelColumns; ++c)
        out << ',';
    for (int j = 0; j < table.valueColumnCount(); ++j)
        out << ",estimate," << table.csvErrorCaption;
    out << '\n';
    for (const ReportTable::Row& row : table.rows) {
        out << joinedLabels(row.labels);
        for (const std::optional<MeasureValue>& value : row.values) {
            out << ',';
            if (value)
                ReportNumbers::writeNumber(out, value->estimate);
            out << ',';
            if (value)
                ReportNumbers::writeStandardError(out, *value);
        }
        out << '\n';
    }
}

} // namespace

QString CsvRenderer::render(const ReportDocument& document)
{
    QString text;
    QTextStream out(&text);
    out << document.csvTitle;
    writeHeader(out, document.header);
    for (const ReportBlock& block : document.blocks) {
        if (!block.inCsv)
            continue;
        switch (block.kind) {
        case ReportBlock::Kind::Heading:
            out << block.text << '\n';
            break;
        case ReportBlock::Kind::Field:
            out << '\n' << block.text << ',' << lum::csvField(block.value) << '\n';
            break;
        case ReportBlock::Kind::Table:
            writeTable(out, block.table);
            break;
        case ReportBlock::Kind::CsvBreak:
            out << '\n';
            break;
        case ReportBlock::Kind::Paragraph:
        case ReportBlock::Kind::Continuation:
        case ReportBlock::Kind::Figure:
        case ReportBlock::Kind::Note:
            break;
        }
    }
    out.flush();
    return text;
}

} // namespace rivulet
