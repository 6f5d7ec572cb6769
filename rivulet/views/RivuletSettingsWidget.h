#pragma once

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace lum {
class UserPrompts;
}

namespace rivulet {

// The "Settings" window: decimals of the reports, the expert and diagnostics switches, the
// criterion that marks the best model, and the sites configuration file of later observation
// loads. "Apply" stores the precisions and
// switches and says what changed; the file choice is taken by the window on "Done".
class RivuletSettingsWidget : public QWidget
{
    Q_OBJECT

public:
    // `prompts` (borrowed) asks for the file and shows the warnings.
    explicit RivuletSettingsWidget(lum::UserPrompts& prompts, QWidget* parent = nullptr);

    // Empty for the shared default file.
    const QString& alternateSitesConfigFile() const { return alternateSitesConfigFile_; }

    QSpinBox* estimatesSpinBox() const { return estimates_; }
    QSpinBox* errorsSpinBox() const { return errors_; }
    QCheckBox* expertCheckBox() const { return expert_; }
    QCheckBox* diagnosticsCheckBox() const { return diagnostics_; }
    QCheckBox* aiccCheckBox() const { return aicc_; }
    QCheckBox* informedCheckBox() const { return informed_; }
    // The study's ĉ (disabled while no database is open) and the bootstrap's replicates.
    QDoubleSpinBox* chatSpinBox() const { return chat_; }
    QSpinBox* bootstrapSpinBox() const { return bootstrap_; }
    QRadioButton* defaultConfigButton() const { return useDefault_; }
    QRadioButton* alternateConfigButton() const { return useAlternate_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* doneButton() const { return done_; }

signals:
    void precisionSettingsChanged();
    void uiSettingsChanged();
    void doneClicked();

public slots:
    void onSettingsChanged();
    void onApplyClicked();
    void onDoneClicked();
    void onSelectAlternateConfigFile();
    void sitesConfigToggled();
    void validate();

private:
    lum::UserPrompts& prompts_;
    QString alternateSitesConfigFile_;
    QTabWidget* tabs_ = nullptr;
    QSpinBox* estimates_ = nullptr;
    QSpinBox* errors_ = nullptr;
    QCheckBox* expert_ = nullptr;
    QCheckBox* diagnostics_ = nullptr;
    QCheckBox* aicc_ = nullptr;
    QCheckBox* informed_ = nullptr;
    QCheckBox* profileAll_ = nullptr;
    QDoubleSpinBox* chat_ = nullptr;
    QSpinBox* bootstrap_ = nullptr;
    QRadioButton* useDefault_ = nullptr;
    QRadioButton* useAlternate_ = nullptr;
    QGroupBox* alternateGroup_ = nullptr;
    QLineEdit* alternateFile_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* done_ = nullptr;
};

} // namespace rivulet
