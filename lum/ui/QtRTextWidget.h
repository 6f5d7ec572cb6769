#pragma once

#include <QWidget>

class QLayout;
class QTextDocument;
class QTextEdit;

namespace lum {

// The viewer of a report: a read-only, non-wrapping text editor filling a
// widget that the main window puts into a sub-window or a dock.
class QtRTextWidget : public QWidget
{
    Q_OBJECT

public:
    explicit QtRTextWidget(QWidget* parent = nullptr);

    // The editor showing the report (also what printing renders).
    QTextEdit* editor() const { return m_editor; }

public slots:
    // Shows the given document; the caller keeps ownership of it.
    virtual void setDocument(QTextDocument* document);
    // Replaces the shown content by the HTML text.
    virtual void updateHtml(const QString& html);
    // Deletes the current layout, if any, and installs the given one.
    void replaceLayout(QLayout* layout);

private:
    QTextEdit* m_editor = nullptr; // child widget
};

} // namespace lum
