#include "lum/ui/SettingsBinding.h"

#include "lum/settings/MemoryStore.h"
#include "lum/settings/TestSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace rivulet::test_widgets {
// An application line edit in its own namespace, recognised by its name.
class RangeLineEdit : public QLineEdit
{
    Q_OBJECT
};
// A subclass with another name is not an editor the settings know.
class FancyLineEdit : public QLineEdit
{
    Q_OBJECT
};
} // namespace rivulet::test_widgets

namespace {

using lum::test::MemoryStore;
using lum::test::TestSettings;

class LumSettingsBinding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.addSetting(1, "ids", -1);
        settings.addSetting(12, "precision", 4);
        settings.addSetting(14, "prev_file", QVariant());
        settings.addSetting(20, "diagnostics_enabled", false);
    }
    TestSettings settings;
    MemoryStore* store = settings.add(std::make_unique<MemoryStore>());
    lum::SettingsBinding binding{settings};
};

TEST_F(LumSettingsBinding, CheckBoxShowsTheValueAndStoresEveryToggle)
{
    QCheckBox box;
    settings.setValue(20, true);
    binding.bindWidget(&box, 20, false);
    EXPECT_TRUE(box.isChecked());
    box.setChecked(false);
    EXPECT_EQ(store->values.value("diagnostics_enabled"), QVariant(false));
    box.setChecked(true);
    EXPECT_EQ(store->values.value("diagnostics_enabled"), QVariant(true));
}

TEST_F(LumSettingsBinding, RadioButtonStoresCheckedState)
{
    QRadioButton button;
    binding.bindWidget(&button, 20, false);
    button.setChecked(true);
    EXPECT_EQ(store->values.value("diagnostics_enabled"), QVariant(true));
}

TEST_F(LumSettingsBinding, LineEditShowsAndStoresText)
{
    QLineEdit edit;
    settings.setValue(14, "/data");
    binding.bindWidget(&edit, 14, false);
    EXPECT_EQ(edit.text(), "/data");
    edit.setText("/other");
    EXPECT_EQ(store->values.value("prev_file"), QVariant("/other"));
}

TEST_F(LumSettingsBinding, NamespacedRangeLineEditIsALineEdit)
{
    rivulet::test_widgets::RangeLineEdit edit;
    binding.bindWidget(&edit, 14, false);
    edit.setText("x");
    EXPECT_EQ(store->values.value("prev_file"), QVariant("x"));
}

TEST_F(LumSettingsBinding, SpinBoxStoresItsValue)
{
    QSpinBox spin;
    binding.bindWidget(&spin, 12, false);
    EXPECT_EQ(spin.value(), 4);
    spin.setValue(9);
    EXPECT_EQ(store->values.value("precision"), QVariant(9));
}

TEST_F(LumSettingsBinding, ComboBoxShowsAndStoresTheCurrentIndex)
{
    QComboBox combo;
    combo.addItems({"a", "b", "c"});
    settings.setValue(12, 1);
    binding.bindWidget(&combo, 12, false);
    EXPECT_EQ(combo.currentIndex(), 1);
    combo.setCurrentIndex(2);
    EXPECT_EQ(store->values.value("precision"), QVariant(2));
}

TEST_F(LumSettingsBinding, BindingShowsTheValueWithoutChangingIt)
{
    QSpinBox spin;
    binding.bindWidget(&spin, 12, false);
    // Showing the value is an edit of the widget, which stores the same value.
    EXPECT_EQ(settings.value(12).toInt(), 4);
    QLineEdit edit;
    binding.bindWidget(&edit, 14, false);
    EXPECT_FALSE(settings.value(14).isValid());
}

TEST_F(LumSettingsBinding, OtherClassesAreMappedButStoreNothing)
{
    rivulet::test_widgets::FancyLineEdit fancy;
    QLabel label;
    binding.bindWidget(&fancy, 14, false);
    binding.bindWidget(&label, 12, false);
    fancy.setText("ignored");
    binding.settingChanged(12);
    binding.settingChanged(14);
    EXPECT_TRUE(store->values.isEmpty());
}

TEST_F(LumSettingsBinding, ArrayElementWidgetHasIdKeyTimesMillionPlusIndex)
{
    settings.writeArray(1, {"a", "b"});
    QLineEdit edit;
    binding.bindArrayWidget(&edit, 1, 1, false);
    EXPECT_EQ(edit.text(), "b");
    edit.setText("B");
    EXPECT_EQ(settings.readArray(1), (QVariantList{"a", "B"}));

    QLineEdit first;
    binding.bindArrayWidget(&first, 1, 0, false);
    first.setText("A");
    EXPECT_EQ(settings.readArray(1), (QVariantList{"A", "B"}));
    // Id 1000000 is element 0 of key 1: a call with that id stores the
    // widget's text there.
    first.blockSignals(true);
    first.setText("again");
    first.blockSignals(false);
    binding.settingChanged(1000000);
    EXPECT_EQ(settings.arrayValue(1, 0), QVariant("again"));
}

TEST_F(LumSettingsBinding, NullWidgetAndUnknownIdAreIgnored)
{
    binding.bindWidget(nullptr, 12, false);
    binding.bindArrayWidget(nullptr, 1, 0, false);
    binding.unbindWidget(nullptr);
    binding.settingChanged(12);
    EXPECT_TRUE(store->values.isEmpty());
}

TEST_F(LumSettingsBinding, UnboundWidgetNoLongerStores)
{
    QSpinBox spin;
    binding.bindWidget(&spin, 12, false);
    binding.unbindWidget(&spin);
    spin.setValue(8);
    EXPECT_EQ(settings.value(12).toInt(), 4);
}

TEST_F(LumSettingsBinding, DisconnectFirstDropsEarlierConnections)
{
    QSpinBox spin;
    QSignalSpy before(&spin, qOverload<int>(&QSpinBox::valueChanged));
    int calls = 0;
    QObject::connect(&spin, qOverload<int>(&QSpinBox::valueChanged), [&calls] { ++calls; });
    binding.bindWidget(&spin, 12, true);
    spin.setValue(7);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(store->values.value("precision"), QVariant(7));
}

TEST_F(LumSettingsBinding, DestroyedWidgetIsForgottenEvenAfterDisconnectFirst)
{
    {
        QSpinBox spin;
        binding.bindWidget(&spin, 12, true);
    }
    settings.setValue(12, 6);
    binding.settingChanged(12); // must not touch the destroyed widget
    EXPECT_EQ(settings.value(12).toInt(), 6);
}

} // namespace

#include "SettingsBindingTest.moc"
