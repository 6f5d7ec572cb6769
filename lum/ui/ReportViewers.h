#pragma once

#include <QObject>
#include <QPointer>

namespace lum {

class QtReport;
class QtRTextWidget;
class QtRTextWindow;

// The viewers of one report: the text widget the window puts into a
// sub-window and the window-shaped presentation. They are attached to the
// report as its child, so they go with it, unless a sub-window holding a
// viewer deleted it first. GUI thread only.
//
//     window->addReportWindow(lum::ReportViewers::of(report).textWidget());
//     ... after a run: report.updateText();   // the viewers follow
class ReportViewers : public QObject
{
    Q_OBJECT

public:
    // The viewers of `report`, attached on first use.
    static ReportViewers& of(QtReport& report);
    ~ReportViewers() override;

    // Created on first use, then refreshed with the report's current HTML.
    QtRTextWidget* textWidget();
    QtRTextWindow* textWindow();

public slots:
    // Shows the report's current HTML in the viewers that exist.
    void updateText();

private:
    explicit ReportViewers(QtReport& report);

    QtReport& m_report;
    QPointer<QtRTextWidget> m_textWidget; // owned (see the class comment)
    QPointer<QtRTextWindow> m_textWindow; // owned
};

} // namespace lum
