#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/QtRTextWindow.h"

#include <QGridLayout>
#include <QPointer>
#include <QTextEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(QtRTextWidgetTest, EditorSitsInAGridAtRowOneColumnOne)
{
    lum::QtRTextWidget widget;
    EXPECT_EQ(widget.parent(), nullptr);
    auto* grid = qobject_cast<QGridLayout*>(widget.layout());
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(grid->itemAtPosition(1, 1), nullptr);
    EXPECT_EQ(grid->itemAtPosition(1, 1)->widget(), widget.editor());
}

TEST(QtRTextWidgetTest, ReplaceLayoutDeletesTheOldOneAndKeepsTheEditor)
{
    lum::QtRTextWidget widget;
    QPointer<QLayout> old = widget.layout();
    auto* replacement = new QVBoxLayout; // owned by the widget once set
    widget.replaceLayout(replacement);
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(widget.layout(), replacement);
    EXPECT_EQ(widget.editor()->parent(), &widget);
}

TEST(QtRTextWindowTest, PresentsHtmlAndKeepsCsvText)
{
    lum::QtRTextWindow window;
    EXPECT_EQ(window.parent(), nullptr);
    EXPECT_EQ(window.centralWidget(), window.editor());
    EXPECT_TRUE(window.editor()->isReadOnly());
    window.updateHtml("<p>report</p>");
    window.updateCsvText("a,b\n");
    EXPECT_EQ(window.editor()->toPlainText(), "report");
    EXPECT_EQ(window.csvText(), "a,b\n");
}

} // namespace
