#pragma once

#include "lum/report/LumStyle.h"
#include "lum/thread/ThreadRunnable.h"

#include <QString>

#include <memory>

class QTextBlockFormat;
class QTextDocument;
class QTextTable;

namespace lum {

// A report: a background job that composes a rich-text document with the
// numbered formats of its style and keeps the result as HTML text.
//
// `run` builds a fresh document, lets the concrete report write into it
// (`buildReport`, through a cursor on `document()`), keeps its HTML and
// drops the document again. It touches no widget, so it runs on a worker
// thread or headless (a QGuiApplication on the offscreen platform is
// enough). Viewers live in lum/ui (ReportViewers); the text reaches them
// only through `updateText`, on the GUI thread, after the run.
class QtReport : public ThreadRunnable, public LumStyle
{
    Q_OBJECT

public:
    QtReport(qint32 kind, ThreadRunner* runner, QObject* parent = nullptr);
    ~QtReport() override;

    qint32 kind() const { return m_kind; }
    // The title of the report's sub-window.
    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    // The HTML of the last document built; empty before the first run.
    const QString& html() const { return m_html; }
    const QString& csvText() const { return m_csvText; }

    void run() override;

    // The document being built; null outside `run`.
    virtual QTextDocument* document() const;
    // A hook for reports that want a second entry point into building;
    // nothing here calls it.
    virtual void buildDocument();
    // Header look of a table: block format 8 in every cell, then block
    // format 9 (shaded) in row 0 and in column 0.
    virtual void styleTable(QTextTable* table) const;

    // Sets `format` as the block format of the first block of every cell in
    // the range of `rowCount` rows from `row` and `columnCount` columns from
    // `column`. A range that does not lie inside the table (or has no row)
    // is ignored as a whole.
    static void setCellBlockFormat(QTextTable* table, int row, int column, int rowCount,
                                   int columnCount, const QTextBlockFormat& format);

signals:
    // Declared for reports that keep CSV text; the framework never emits it.
    void csvTextChanged();
    // updateText was called: viewers show html() now.
    void textUpdated();

public slots:
    // Marks the report as up to date and lets its viewers show the current
    // HTML.
    virtual void updateText();
    void setDirty(bool value) { m_dirty = value; }
    bool getDirty() const { return m_dirty; }

protected:
    // Writes the report's content into document().
    virtual void buildReport() = 0;
    // For reports that keep a CSV form of what they build.
    void setCsvText(const QString& text) { m_csvText = text; }

private:
    const qint32 m_kind;
    std::unique_ptr<QTextDocument> m_document;
    QString m_name;
    QString m_html;
    QString m_csvText;
    bool m_dirty = true;
};

} // namespace lum
