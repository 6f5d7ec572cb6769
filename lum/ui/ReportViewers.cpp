#include "lum/ui/ReportViewers.h"

#include "lum/report/QtReport.h"
#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/QtRTextWindow.h"

namespace lum {

ReportViewers& ReportViewers::of(QtReport& report)
{
    if (auto* viewers = report.findChild<ReportViewers*>(QString(), Qt::FindDirectChildrenOnly))
        return *viewers;
    return *new ReportViewers(report); // owned by the report
}

ReportViewers::ReportViewers(QtReport& report) : QObject(&report), m_report(report)
{
    connect(&report, &QtReport::textUpdated, this, &ReportViewers::updateText);
}

ReportViewers::~ReportViewers()
{
    // Top-level widgets have no parent to delete them; a sub-window that took
    // one may have deleted it already, and the guarded pointer is then null.
    delete m_textWidget.data();
    delete m_textWindow.data();
}

QtRTextWidget* ReportViewers::textWidget()
{
    if (!m_textWidget)
        m_textWidget = new QtRTextWidget; // owned, see the destructor
    m_textWidget->updateHtml(m_report.html());
    return m_textWidget;
}

QtRTextWindow* ReportViewers::textWindow()
{
    if (!m_textWindow)
        m_textWindow = new QtRTextWindow; // owned, see the destructor
    m_textWindow->updateHtml(m_report.html());
    m_textWindow->updateCsvText(m_report.csvText());
    return m_textWindow;
}

void ReportViewers::updateText()
{
    if (m_textWidget)
        m_textWidget->updateHtml(m_report.html());
    if (m_textWindow)
        m_textWindow->updateHtml(m_report.html());
}

} // namespace lum
