// Controls bound to a field of a plain options struct (AnalysisSettings, PlotOptions): each starts
// from the field's value and writes the field on every change, so whoever reads the struct sees
// the control as it is at that moment. Shared by the settings dialog and the curve list.
#pragma once

#include <QList>

#include <initializer_list>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace talvor {

QCheckBox* NewBoundCheckBox(QWidget* parent, const char* name, const char* caption, bool& field);

// An edit field and its label (the label's buddy is the field); the caller places both.
struct LabelledField {
    QLabel* label;
    QLineEdit* edit;
};
LabelledField NewBoundField(QWidget* parent, const char* name, const char* label,
                            std::string& field);

// A radio group with one item per caption, the items named <name>0, <name>1, ...; field is the
// index of the checked item. The caller places the items inside the group.
struct RadioGroup {
    QGroupBox* group;
    QList<QRadioButton*> items;
};
RadioGroup NewBoundRadioGroup(QWidget* parent, const char* name, const char* title,
                              std::initializer_list<const char*> captions, int& field);

} // namespace talvor
