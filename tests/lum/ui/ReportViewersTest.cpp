#include "lum/ui/ReportViewers.h"

#include "lum/report/QtReport.h"
#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/QtRTextWindow.h"

#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

class OneLineReport : public lum::QtReport
{
public:
    OneLineReport() : lum::QtReport(7, nullptr) {}

protected:
    void buildReport() override { QTextCursor(document()).insertText("Alpha 2010"); }
};

TEST(ReportViewersTest, WidgetIsCreatedOnceAndShowsTheLastRunOnlyWhenAsked)
{
    OneLineReport report;
    lum::ReportViewers& viewers = lum::ReportViewers::of(report);
    EXPECT_EQ(&lum::ReportViewers::of(report), &viewers);
    lum::QtRTextWidget* widget = viewers.textWidget();
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->editor()->isReadOnly());
    EXPECT_EQ(widget->editor()->lineWrapMode(), QTextEdit::NoWrap);

    report.run();
    // The run alone does not reach the viewer.
    EXPECT_TRUE(widget->editor()->toPlainText().isEmpty());
    EXPECT_EQ(viewers.textWidget(), widget);
    EXPECT_TRUE(widget->editor()->toPlainText().contains("Alpha 2010"));
}

TEST(ReportViewersTest, UpdateTextRefreshesViewersAndClearsDirty)
{
    OneLineReport report;
    lum::QtRTextWidget* widget = lum::ReportViewers::of(report).textWidget();
    lum::QtRTextWindow* window = lum::ReportViewers::of(report).textWindow();
    report.run();
    report.updateText();
    EXPECT_FALSE(report.getDirty());
    EXPECT_TRUE(widget->editor()->toPlainText().contains("Alpha 2010"));
    EXPECT_TRUE(window->editor()->toPlainText().contains("Alpha 2010"));
}

TEST(ReportViewersTest, ViewersDieWithTheReportUnlessDeletedBefore)
{
    QPointer<lum::QtRTextWidget> widget;
    QPointer<lum::QtRTextWindow> window;
    {
        OneLineReport report;
        widget = lum::ReportViewers::of(report).textWidget();
        window = lum::ReportViewers::of(report).textWindow();
        // A sub-window holding the widget deletes it when it closes.
        delete widget.data();
        EXPECT_TRUE(widget.isNull());
        widget = lum::ReportViewers::of(report).textWidget();
        EXPECT_FALSE(widget.isNull());
    }
    EXPECT_TRUE(widget.isNull());
    EXPECT_TRUE(window.isNull());
}

} // namespace
