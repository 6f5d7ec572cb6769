#include "lum/ui/QtRTextWidget.h"

#include <QGridLayout>
#include <QTextEdit>

namespace lum {

QtRTextWidget::QtRTextWidget(QWidget* parent) : QWidget(parent), m_editor(new QTextEdit(this))
{
    m_editor->setReadOnly(true);
    m_editor->setLineWrapMode(QTextEdit::NoWrap);
    auto* grid = new QGridLayout(this); // installs itself on this widget
    grid->addWidget(m_editor, 1, 1);
}

void QtRTextWidget::setDocument(QTextDocument* document)
{
    m_editor->setDocument(document);
}

void QtRTextWidget::updateHtml(const QString& html)
{
    m_editor->setHtml(html);
}

void QtRTextWidget::replaceLayout(QLayout* layout)
{
    // A widget accepts a new layout only once the old one is gone; deleting
    // a layout leaves the widgets it managed alive as children of this widget.
    delete this->layout();
    setLayout(layout);
}

} // namespace lum
