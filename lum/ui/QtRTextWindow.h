#pragma once

#include <QMainWindow>

class QTextDocument;
class QTextEdit;

namespace lum {

// A window-shaped presentation of a report: the report's rich text in a
// read-only editor as the central widget, with the report's CSV text kept
// beside it. The application itself shows reports through QtRTextWidget.
class QtRTextWindow : public QMainWindow
{
    Q_OBJECT

public:
    QtRTextWindow();

    QTextEdit* editor() const { return m_editor; }
    const QString& csvText() const { return m_csvText; }

public slots:
    // Shows the given document; the caller keeps ownership of it.
    virtual void setDocument(QTextDocument* document);
    virtual void updateHtml(const QString& html);
    virtual void updateCsvText(const QString& csvText);

private:
    QTextEdit* m_editor = nullptr; // central widget, owned by the window
    QString m_csvText;
};

} // namespace lum
