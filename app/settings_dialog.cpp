// The settings dialog: check boxes in two columns, the operating-point fields, the sweep used
// when the netlist has no ".AC" line, and "Aplicar".
#include "app/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Parâmetros"));
    setModal(false);

    auto* checks = new QGridLayout;
    checks->addWidget(AddCheckBox("CBestampas", "Mostrar estampas ", &AnalysisSettings::CBestampas),
                      0, 0);
    checks->addWidget(
        AddCheckBox("CBresultados", "Mostrar resultados", &AnalysisSettings::CBresultados), 1, 0);
    checks->addWidget(
        AddCheckBox("CBignorar", "Ignorar linha de comando", &AnalysisSettings::CBignorar), 2, 0);
    checks->addWidget(AddCheckBox("CBdiodos", "Montar diodos MOS", &AnalysisSettings::CBdiodos), 3,
                      0);
    checks->addWidget(AddCheckBox("CBconduz", "Inicializar com diodos e MOS conduzindo",
                                  &AnalysisSettings::CBconduz),
                      4, 0);
    checks->addWidget(
        AddCheckBox("CBcdiodos",
                    "Montar capacitâncias de diodos e Cbe, Cbc de transistores bipolares",
                    &AnalysisSettings::CBcdiodos),
        5, 0, 1, 2);
    checks->addWidget(AddCheckBox("CBHz", "Frequências em Hz", &AnalysisSettings::CBHz), 0, 1);
    checks->addWidget(AddCheckBox("CBdB", "Módulos em dB", &AnalysisSettings::CBdB), 1, 1);
    checks->addWidget(AddCheckBox("CBgraus", "Fases em graus", &AnalysisSettings::CBgraus), 2, 1);
    checks->addWidget(
        AddCheckBox("CBcmos", "Montar capacitâncias  MOS Cgs e Cgd", &AnalysisSettings::CBcmos), 3,
        1);
    checks->addWidget(
        AddCheckBox("CBcgb", "Montar capacitâncias  MOS Cgb", &AnalysisSettings::CBcgb), 4, 1);

    auto* operatingPoint = new QGridLayout;
    AddField(operatingPoint, 0, "Evdmax", "Máxima tensão para função exponencial em diodos",
             &AnalysisSettings::Evdmax);
    AddField(operatingPoint, 1, "Eg0",
             "Condutância colocada no lugar de capacitâncias no cálculo do P. O.",
             &AnalysisSettings::Eg0);
    AddField(operatingPoint, 2, "Einicio",
             "Aproximação inicial para as tensões e correntes: ", &AnalysisSettings::Einicio);
    operatingPoint->setColumnStretch(0, 1);

    auto* label1 =
        new QLabel(QStringLiteral("Se não existir linha de comando (ou for ignorada), usar:"));
    label1->setObjectName(QStringLiteral("Label1"));
    auto* frequencies = new QGridLayout;
    AddField(frequencies, 0, "Efinicial", "Frequência inicial", &AnalysisSettings::Efinicial);
    AddField(frequencies, 1, "Effinal", "Frequência final", &AnalysisSettings::Effinal);
    AddField(frequencies, 2, "Epontos", "Pontos", &AnalysisSettings::Epontos);
    auto* sweep = new QHBoxLayout;
    sweep->addLayout(frequencies);
    sweep->addSpacing(24);
    sweep->addWidget(CreateScaleGroup());
    sweep->addStretch(1);

    auto* apply = new QPushButton(QStringLiteral("Aplicar"));
    apply->setObjectName(QStringLiteral("Button1"));
    connect(apply, &QPushButton::clicked, this, &TForm2::Button1Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    checks->setHorizontalSpacing(4);
    page->addLayout(checks);
    page->addSpacing(8);
    page->addLayout(operatingPoint);
    page->addSpacing(8);
    page->addWidget(label1);
    page->addLayout(sweep);
    page->addStretch(1);
    page->addLayout(buttons);
    // The two columns were laid out for 8-point text; a larger system font would widen them.
    if (minimumSizeHint().width() > 503 && font().pointSize() > 8) {
        QFont smaller = font();
        smaller.setPointSize(8);
        setFont(smaller);
    }
    resize(503, 457);
}

QCheckBox* TForm2::AddCheckBox(const char* name, const char* caption, bool AnalysisSettings::*field)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(settings_.*field);
    connect(box, &QCheckBox::toggled, this, [this, field](bool on) { settings_.*field = on; });
    return box;
}

QLineEdit* TForm2::AddField(QGridLayout* grid, int row, const char* name, const char* label,
                            std::string AnalysisSettings::*field)
{
    auto* edit = new QLineEdit(QString::fromStdString(settings_.*field), this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(70);
    connect(edit, &QLineEdit::textChanged, this,
            [this, field](const QString& text) { settings_.*field = text.toStdString(); });
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

QGroupBox* TForm2::CreateScaleGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Escala"), this);
    group->setObjectName(QStringLiteral("RGescala"));
    scaleButtons_ = new QButtonGroup(group);
    auto* items = new QVBoxLayout(group);
    const char* const captions[] = {"Linear", "Logarítmica", "Octal"};
    for (int index = 0; index < 3; ++index) {
        auto* item = new QRadioButton(QString::fromUtf8(captions[index]), group);
        item->setObjectName(QStringLiteral("RGescala%1").arg(index));
        scaleButtons_->addButton(item, index);
        items->addWidget(item);
    }
    scaleButtons_->button(settings_.RGescala)->setChecked(true);
    connect(scaleButtons_, &QButtonGroup::idToggled, this, [this](int index, bool on) {
        if (on)
            settings_.RGescala = index;
    });
    return group;
}

void TForm2::Button1Click()
{
    settingsApplied = 1;
    hide();
}
