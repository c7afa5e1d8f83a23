// TForm2, "Parâmetros": the analysis options. Every change of a control updates the
// AnalysisSettings value at once, so the analysis sees it at its next moment of use.
#pragma once

#include <QDialog>

#include "analysis/analysis_settings.h"

class QLayout;

namespace talvor {

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    const AnalysisSettings& Settings() const { return settings_; }

    // The driver's wait: clears settingsApplied and brings the dialog up; "Aplicar" sets it.
    void AskForSettings();
    bool SettingsApplied() const { return settingsApplied_ != 0; }

    void Button1Click();

private:
    QLayout* CreateCheckBoxes();
    QLayout* CreateOperatingPointFields();
    QLayout* CreateSweepFields();
    QLayout* CreateApplyButton();

    AnalysisSettings settings_;
    int settingsApplied_ = 0;
};

} // namespace talvor
