#pragma once

#include "rivulet/model/MeasureValue.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace rivulet {

// A model report as plain data: what it says, in which order, with its numbers unformatted.
// Built once from a fitted model (ModelDocuments) and written by one renderer per format:
// the rich-text report of the window and of the HTML files, and the CSV report. The two
// formats do not show everything alike; each block says where it appears, and a table
// carries the captions of its CSV form beside those of its rich-text form.

// A cell of a table's rich-text header, `span` columns wide.
struct ReportHeaderCell
{
    QString text;
    int span = 1;
};

// Rows of labels followed by estimate cells. In rich text an estimate cell reads
// "estimate (s.e.)"; in CSV it is two fields, the estimate and its standard error.
struct ReportTable
{
    struct Row
    {
        QStringList labels;
        // Appended to the first label in rich text only (a footnote mark).
        QString mark;
        // An empty cell is left blank.
        std::vector<std::optional<MeasureValue>> values;
    };

    int labelColumns = 1;
    // Rich text: the header rows, shaded; their spans add up to the table's columns.
    std::vector<std::vector<ReportHeaderCell>> header;
    std::vector<Row> rows;
    // Rich text: the estimate cell (row of `rows`, position in its values) shaded yellow.
    int highlightRow = -1;
    int highlightValue = -1;

    // CSV: a caption line of the label fields and of every estimate column's title (in the
    // first of its two fields), then a line of `csvCaption`, an empty field per further label
    // column and "estimate" and `csvErrorCaption` per estimate column.
    QStringList csvLabels;
    QStringList csvValueTitles;
    QString csvCaption;
    QString csvErrorCaption = QStringLiteral("s.e.");

    int columnCount() const { return labelColumns + valueColumnCount(); }
    int valueColumnCount() const { return static_cast<int>(csvValueTitles.size()); }
};

// The block of a report.
struct ReportBlock
{
    enum class Kind
    {
        // A section title; in CSV a line of its own unless `inCsv` is false.
        Heading,
        // A paragraph of its own (rich text only).
        Paragraph,
        // A line that continues the block before it, in its format (rich text only).
        Continuation,
        // "label value" in a heading's format; in CSV an empty line, then "label,value".
        Field,
        // "label estimate (s.e.)" as a paragraph (rich text only).
        Figure,
        Table,
        // A footnote after the table before it (rich text only).
        Note,
        // An empty line (CSV only).
        CsvBreak,
    };

    Kind kind = Kind::Paragraph;
    QString text;
    QString value;
    std::optional<MeasureValue> figure;
    ReportTable table;
    bool inRichText = true;
    bool inCsv = true;
};

// The opening of every model report: the report's title, the releases of the analysis, the
// model and its figures.
struct ModelHeader
{
    QString title;
    QStringList releases;
    int releaseCount = 0;
    QString code;
    QString fullDescription;
    int siteCount = 0;
    int yearCount = 0;
    int parameterCount = 0;
    double logLikelihood = 0.0;
    double aic = 0.0;
    // How the fit ended, shown when it explains missing standard errors (no covariance
    // matrix); empty otherwise.
    QString fitStatus;
    // The ĉ the standard errors are inflated by (their square root); shown when not 1.
    double chat = 1.0;
};

struct ReportDocument
{
    ModelHeader header;
    // The CSV form's first lines, before the header.
    QString csvTitle;
    std::vector<ReportBlock> blocks;

    ReportBlock& add(ReportBlock::Kind kind, const QString& text = QString(),
                     const QString& value = QString())
    {
        ReportBlock block;
        block.kind = kind;
        block.text = text;
        block.value = value;
        blocks.push_back(std::move(block));
        return blocks.back();
    }
};

} // namespace rivulet
