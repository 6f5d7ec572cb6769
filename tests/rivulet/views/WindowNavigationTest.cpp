// A flow added to the window as one navigation entry, with nothing else changed.
#include "WindowFixture.h"

#include "lum/ui/NavPanelItem.h"
#include "lum/ui/NavPanelModel.h"
#include "rivulet/views/WindowNavigation.h"

#include <QMenu>

namespace rivulet::test {

class WindowNavigationEntries : public WindowFixture
{
protected:
    // As a click on the item in the panel.
    void openFromPanel(lum::NavPanelItem* item)
    {
        window->onNavItemOpened(window->navModel()->indexOf(item));
    }
};

TEST_F(WindowNavigationEntries, AnAddedEntryIsListedEnabledAndOpenedAsTheOthersAre)
{
    openWindow(false);
    int opened = 0;
    NavEntry residuals;
    residuals.title = QStringLiteral("Residual Plots");
    residuals.heading = &nav::results;
    residuals.menu = NavEntry::Menu::Windows;
    residuals.shortcut = QKeySequence(Qt::CTRL | Qt::Key_R);
    residuals.enabled = [](const NavState& state) { return state.loaded() && state.fitted; };
    residuals.open = [&opened](RivuletWindow&) { ++opened; };
    window->addNavEntry(residuals);

    // Last under its heading, in the Window menu with its shortcut, off while there are no data.
    lum::NavPanelItem* item = window->navItem(residuals);
    ASSERT_NE(item, nullptr);
    lum::NavPanelItem* results = window->navItem(nav::results);
    ASSERT_EQ(item->parentItem(), results);
    EXPECT_EQ(item->row(), results->childCount() - 1);
    EXPECT_EQ(item->name(), QStringLiteral("Residual Plots"));
    EXPECT_TRUE(window->menu(lum::LumMainWindow::MenuId::Window)->actions().contains(item));
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_FALSE(item->isEnabled());
    openFromPanel(item);
    EXPECT_EQ(opened, 0);

    // The panel is built anew as the data change; the entry stays, enabled by its own rule.
    ASSERT_TRUE(load());
    item = window->navItem(residuals);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isEnabled());
    ASSERT_TRUE(trigger(nav::fitAllModels));
    item = window->navItem(residuals);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    openFromPanel(item);
    EXPECT_EQ(opened, 1);
    // The standard entries keep their places and states around it.
    EXPECT_EQ(window->navItem(nav::reports)->parentItem(), window->navItem(nav::results));
    EXPECT_EQ(item->parentItem(), window->navItem(nav::results));
    EXPECT_TRUE(enabled(nav::modelComparison));

    // The entry is borrowed: the window goes first.
    window.reset();
}

} // namespace rivulet::test
