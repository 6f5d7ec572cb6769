#include "lum/ui/SettingsBinding.h"

#include "lum/settings/LumSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace rivulet::test_widgets {
// An application line edit in its own namespace, recognised by its name.
class RangeLineEdit : public QLineEdit
{
    Q_OBJECT
};
} // namespace rivulet::test_widgets

namespace {

class LumSettingsBinding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.addSetting(1, "ids", -1);
        settings.addSetting(12, "precision", 4);
        settings.addSetting(14, "prev_file", QVariant());
        settings.addSetting(20, "diagnostics_enabled", false);
        // The per-user store is shared by every case of the binary.
        settings.restoreDefaults(true);
    }
    lum::LumSettings settings;
    lum::SettingsBinding binding{settings};
};

TEST_F(LumSettingsBinding, EditorsShowTheValueAndStoreEveryEditUntilUnbound)
{
    QCheckBox box;
    QSpinBox spin;
    QComboBox combo;
    combo.addItems({"a", "b", "c"});
    rivulet::test_widgets::RangeLineEdit edit;
    settings.setValue(20, true);
    settings.setValue(14, "/data");
    binding.bindWidget(&box, 20, false);
    binding.bindWidget(&spin, 12, false);
    binding.bindWidget(&edit, 14, false);
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(spin.value(), 4);
    EXPECT_EQ(edit.text(), "/data");
    box.setChecked(false);
    spin.setValue(9);
    edit.setText("/other");
    EXPECT_FALSE(settings.value(20).toBool());
    EXPECT_EQ(settings.value(12).toInt(), 9);
    EXPECT_EQ(settings.value(14).toString(), "/other");

    binding.unbindWidget(&spin);
    settings.setValue(12, 2);
    binding.bindWidget(&combo, 12, true);
    EXPECT_EQ(combo.currentIndex(), 2);
    spin.setValue(1);
    EXPECT_EQ(settings.value(12).toInt(), 2);
    combo.setCurrentIndex(1);
    EXPECT_EQ(settings.value(12).toInt(), 1);
    EXPECT_EQ(combo.currentIndex(), 1);
}

TEST_F(LumSettingsBinding, ArrayElementWidgetsStoreTheirOwnElement)
{
    settings.writeArray(1, {"a", "b"});
    QLineEdit first;
    QLineEdit second;
    binding.bindArrayWidget(&second, 1, 1, false);
    binding.bindArrayWidget(&first, 1, 0, false);
    EXPECT_EQ(second.text(), "b");
    second.setText("B");
    first.setText("A");
    EXPECT_EQ(settings.readArray(1), (QVariantList{"A", "B"}));
}

TEST_F(LumSettingsBinding, OtherClassesNullAndDestroyedWidgetsStoreNothing)
{
    QLabel label;
    binding.bindWidget(&label, 14, false);
    binding.bindWidget(nullptr, 12, false);
    binding.bindArrayWidget(nullptr, 1, 0, false);
    {
        QSpinBox spin;
        binding.bindWidget(&spin, 12, true);
    }
    settings.setValue(12, 6);
    binding.settingChanged(12); // must not touch the destroyed widget
    binding.settingChanged(14);
    EXPECT_EQ(settings.value(12).toInt(), 6);
    EXPECT_FALSE(settings.value(14).isValid());
}

} // namespace

#include "SettingsBindingTest.moc"
