// The curve list window: layout, buttons, and the Plot run with its hand-over to the graph window.
#include "plot/curve_list_window.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "plot/bound_controls.h"
#include "plot/table_reader.h"

namespace {

// The right-hand column of controls.
constexpr int ColumnX = 608;
constexpr int ColumnWidth = 233;

} // namespace

TForm4::TForm4(CurveStore& store, PlotOptions& options, MessageLog& log, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), options_(options), log_(log)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Lista de curvas"));
    QFont smallFont = font(); // the layout is measured for captions 11 pixels high
    smallFont.setPixelSize(11);
    setFont(smallFont);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 8, 593, 425);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("* Curvas a plotar: <arquivo> <coluna x> <coluna y>"));

    const int half = (ColumnWidth - 6) / 2;
    AddButton("Button1", "Procurar", &TForm4::Button1Click)->setGeometry(ColumnX, 8, half, 25);
    AddButton("Button4", "Copiar", &TForm4::Button4Click)
        ->setGeometry(ColumnX + ColumnWidth - half, 8, half, 25);
    AddButton("Button2", "Limpar lista", &TForm4::Button2Click)
        ->setGeometry(ColumnX, 40, ColumnWidth, 25);
    AddButton("Button3", "Plotar", &TForm4::Button3Click)
        ->setGeometry(ColumnX, 72, ColumnWidth, 25);
    NewBoundCheckBox(this, "CBnomes", "Usar nomes das colunas", options_.CBnomes)
        ->setGeometry(ColumnX, 104, ColumnWidth, 20);
    NewBoundCheckBox(this, "CBauto", "Escalar cada curva separadamente", options_.CBauto)
        ->setGeometry(ColumnX, 126, ColumnWidth, 20);
    CreateLimitsFrame()->setGeometry(ColumnX, 150, ColumnWidth, 148);
    NewBoundCheckBox(this, "CBmarcar", "Marcar pontos", options_.CBmarcar)
        ->setGeometry(ColumnX, 304, ColumnWidth, 20);
    CreateScaleGroup()->setGeometry(ColumnX, 328, ColumnWidth, 118);
    NewBoundCheckBox(this, "CBfase", "Fases na coluna 2 entre +/-180 graus", options_.CBfase)
        ->setGeometry(ColumnX, 452, ColumnWidth, 20);

    openDialog = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, QString(), start,
                                            QStringLiteral("Tabelas(*.tab);;Todos(*.*)"));
    };
    resize(849, 479);
}

QPushButton* TForm4::AddButton(const char* name, const char* caption, void (TForm4::*click)())
{
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, click);
    return button;
}

// "Usar estas escalas" over the four limit fields, Xmin to Ymax from the top.
QGroupBox* TForm4::CreateLimitsFrame()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    NewBoundCheckBox(frame, "CBescalas", "Usar estas escalas", options_.CBescalas)
        ->setGeometry(10, 8, ColumnWidth - 20, 20);
    auto addField = [&](int row, const char* name, const char* label, std::string& field) {
        LabelledField limit = NewBoundField(frame, name, label, field);
        limit.label->setGeometry(10, 34 + 27 * row, 40, 22);
        limit.edit->setGeometry(56, 34 + 27 * row, ColumnWidth - 66, 22);
        return limit.edit;
    };
    Exmin = addField(0, "Exmin", "Xmin", options_.Exmin);
    Exmax = addField(1, "Exmax", "Xmax", options_.Exmax);
    Eymin = addField(2, "Eymin", "Ymin", options_.Eymin);
    Eymax = addField(3, "Eymax", "Ymax", options_.Eymax);
    return frame;
}

QGroupBox* TForm4::CreateScaleGroup()
{
    RadioGroup scale = NewBoundRadioGroup(this, "RGescala", "Escala",
                                          {"Linear-Linear", "Log-Log", "Linear-Log", "Log-Linear"},
                                          options_.RGescala);
    for (int index = 0; index < scale.items.size(); ++index)
        scale.items[index]->setGeometry(10, 22 + 23 * index, ColumnWidth - 20, 20);
    return scale.group;
}

std::vector<std::string> TForm4::CurveLines() const
{
    std::vector<std::string> lines;
    const QString text = Memo1->toPlainText();
    if (text.isEmpty())
        return lines;
    QStringList memoLines = text.split(QLatin1Char('\n'));
    if (memoLines.size() > 1 && memoLines.last().isEmpty())
        memoLines.removeLast(); // the line end after the last line
    for (const QString& line : memoLines)
        lines.push_back(QFile::encodeName(line).toStdString());
    return lines;
}

// The magnitude of node 1 (or of the first node when the nodes have names) against the
// frequency, in a table of the sweep.
void TForm4::AddCurveLine(const QString& path)
{
    const std::string yColumn = SuggestedYColumn(QFile::encodeName(path).constData());
    Memo1->appendPlainText(path + QStringLiteral(" f ") + QFile::decodeName(yColumn.c_str()));
}

// "Procurar"
void TForm4::Button1Click()
{
    QString chosen = openDialog(tablePath_);
    if (chosen.isEmpty())
        return;
    tablePath_ = chosen;
    AddCurveLine(chosen);
}

// "Limpar lista"
void TForm4::Button2Click() { Memo1->clear(); }

// "Plotar"
void TForm4::Button3Click()
{
    bool drawable = RunPlot(store_, CurveLines(), options_, log_);
    ShowLimitFields();
    if (drawable)
        emit PlotReady();
}

// "Copiar"
void TForm4::Button4Click() { AddCurveLine(tablePath_); }

void TForm4::ShowLimitFields()
{
    Exmin->setText(QString::fromStdString(options_.Exmin));
    Exmax->setText(QString::fromStdString(options_.Exmax));
    Eymin->setText(QString::fromStdString(options_.Eymin));
    Eymax->setText(QString::fromStdString(options_.Eymax));
}
