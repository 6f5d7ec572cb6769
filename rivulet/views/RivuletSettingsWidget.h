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
    const QString& alternateSitesConfigFile() const { return m_alternateSitesConfigFile; }

    QSpinBox* estimatesSpinBox() const { return m_estimates; }
    QSpinBox* errorsSpinBox() const { return m_errors; }
    QCheckBox* expertCheckBox() const { return m_expert; }
    QCheckBox* diagnosticsCheckBox() const { return m_diagnostics; }
    QCheckBox* aiccCheckBox() const { return m_aicc; }
    QCheckBox* informedCheckBox() const { return m_informed; }
    // The study's ĉ (disabled while no database is open) and the bootstrap's replicates.
    QDoubleSpinBox* chatSpinBox() const { return m_chat; }
    QSpinBox* bootstrapSpinBox() const { return m_bootstrap; }
    QRadioButton* defaultConfigButton() const { return m_useDefault; }
    QRadioButton* alternateConfigButton() const { return m_useAlternate; }
    QPushButton* applyButton() const { return m_apply; }
    QPushButton* doneButton() const { return m_done; }

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
    lum::UserPrompts& m_prompts;
    QString m_alternateSitesConfigFile;
    QTabWidget* m_tabs = nullptr;
    QSpinBox* m_estimates = nullptr;
    QSpinBox* m_errors = nullptr;
    QCheckBox* m_expert = nullptr;
    QCheckBox* m_diagnostics = nullptr;
    QCheckBox* m_aicc = nullptr;
    QCheckBox* m_informed = nullptr;
    QCheckBox* m_profileAll = nullptr;
    QDoubleSpinBox* m_chat = nullptr;
    QSpinBox* m_bootstrap = nullptr;
    QRadioButton* m_useDefault = nullptr;
    QRadioButton* m_useAlternate = nullptr;
    QGroupBox* m_alternateGroup = nullptr;
    QLineEdit* m_alternateFile = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_done = nullptr;
};

} // namespace rivulet
