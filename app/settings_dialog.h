// TForm2, "Parâmetros": the analysis options. Every change of a control updates the
// AnalysisSettings value at once, so the analysis sees it at its next moment of use.
#pragma once

#include <QDialog>

#include "analysis/analysis_settings.h"

class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    const AnalysisSettings& Settings() const { return settings_; }

    // Set to 1 by "Aplicar"; the analysis clears it before it waits.
    int settingsApplied = 0;

    void Button1Click();

private:
    QCheckBox* AddCheckBox(const char* name, const char* caption, bool AnalysisSettings::*field);
    QLineEdit* AddField(QGridLayout* grid, int row, const char* name, const char* label,
                        std::string AnalysisSettings::*field);
    QGroupBox* CreateScaleGroup();

    AnalysisSettings settings_;
    QButtonGroup* scaleButtons_ = nullptr;
};
