// The settings dialog: check boxes in two columns, the operating-point fields, the sweep used
// when the netlist has no ".AC" line, and "Aplicar".
#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "plot/bound_controls.h"

namespace talvor {

namespace {

// A row of a grid: the field's label, then the field.
void AddField(QGridLayout* grid, int row, LabelledField field)
{
    field.edit->setFixedWidth(70);
    grid->addWidget(field.label, row, 0);
    grid->addWidget(field.edit, row, 1);
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Parâmetros"));
    setModal(false);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addLayout(CreateCheckBoxes());
    page->addSpacing(8);
    page->addLayout(CreateOperatingPointFields());
    page->addSpacing(8);
    page->addLayout(CreateSweepFields());
    page->addStretch(1);
    page->addLayout(CreateApplyButton());
    // The two columns were laid out for 8-point text; a larger system font would widen them.
    if (minimumSizeHint().width() > 503 && font().pointSize() > 8) {
        QFont smaller = font();
        smaller.setPointSize(8);
        setFont(smaller);
    }
    resize(503, 457);
}

// Two columns of check boxes; the wide CBcdiodos ends the left one and spans both.
QLayout* TForm2::CreateCheckBoxes()
{
    using S = AnalysisSettings;
    const struct {
        const char* name;
        const char* caption;
        bool S::*field;
        int row, column, columnSpan;
    } boxes[] = {
        {"CBestampas", "Mostrar estampas ", &S::CBestampas, 0, 0, 1},
        {"CBresultados", "Mostrar resultados", &S::CBresultados, 1, 0, 1},
        {"CBignorar", "Ignorar linha de comando", &S::CBignorar, 2, 0, 1},
        {"CBdiodos", "Montar diodos MOS", &S::CBdiodos, 3, 0, 1},
        {"CBconduz", "Inicializar com diodos e MOS conduzindo", &S::CBconduz, 4, 0, 1},
        {"CBcdiodos", "Montar capacitâncias de diodos e Cbe, Cbc de transistores bipolares",
         &S::CBcdiodos, 5, 0, 2},
        {"CBHz", "Frequências em Hz", &S::CBHz, 0, 1, 1},
        {"CBdB", "Módulos em dB", &S::CBdB, 1, 1, 1},
        {"CBgraus", "Fases em graus", &S::CBgraus, 2, 1, 1},
        {"CBcmos", "Montar capacitâncias  MOS Cgs e Cgd", &S::CBcmos, 3, 1, 1},
        {"CBcgb", "Montar capacitâncias  MOS Cgb", &S::CBcgb, 4, 1, 1},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    for (const auto& box : boxes)
        grid->addWidget(NewBoundCheckBox(this, box.name, box.caption, settings_.*box.field),
                        box.row, box.column, 1, box.columnSpan);
    return grid;
}

QLayout* TForm2::CreateOperatingPointFields()
{
    auto* grid = new QGridLayout;
    AddField(grid, 0,
             NewBoundField(this, "Evdmax", "Máxima tensão para função exponencial em diodos",
                           settings_.Evdmax));
    AddField(grid, 1,
             NewBoundField(this, "Eg0",
                           "Condutância colocada no lugar de capacitâncias no cálculo do P. O.",
                           settings_.Eg0));
    AddField(grid, 2,
             NewBoundField(this, "Einicio",
                           "Aproximação inicial para as tensões e correntes: ", settings_.Einicio));
    grid->setColumnStretch(0, 1);
    return grid;
}

// Label1 over the three frequency fields, with the scale group beside them.
QLayout* TForm2::CreateSweepFields()
{
    auto* label1 =
        new QLabel(QStringLiteral("Se não existir linha de comando (ou for ignorada), usar:"));
    label1->setObjectName(QStringLiteral("Label1"));
    auto* fields = new QGridLayout;
    AddField(fields, 0,
             NewBoundField(this, "Efinicial", "Frequência inicial", settings_.Efinicial));
    AddField(fields, 1, NewBoundField(this, "Effinal", "Frequência final", settings_.Effinal));
    AddField(fields, 2, NewBoundField(this, "Epontos", "Pontos", settings_.Epontos));
    auto* row = new QHBoxLayout;
    row->addLayout(fields);
    row->addSpacing(24);
    RadioGroup scale = NewBoundRadioGroup(this, "RGescala", "Escala",
                                          {"Linear", "Logarítmica", "Octal"}, settings_.RGescala);
    auto* items = new QVBoxLayout(scale.group);
    for (QRadioButton* item : scale.items)
        items->addWidget(item);
    row->addWidget(scale.group);
    row->addStretch(1);
    auto* sweep = new QVBoxLayout;
    sweep->addWidget(label1);
    sweep->addLayout(row);
    return sweep;
}

QLayout* TForm2::CreateApplyButton()
{
    auto* apply = new QPushButton(QStringLiteral("Aplicar"));
    apply->setObjectName(QStringLiteral("Button1"));
    // Not the dialog's default button: Enter in a field must not resume a waiting run.
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &TForm2::Button1Click);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(apply);
    return row;
}

void TForm2::AskForSettings()
{
    settingsApplied_ = 0;
    show();
    raise();
    activateWindow();
}

void TForm2::Button1Click()
{
    settingsApplied_ = 1;
    hide();
}

} // namespace talvor
