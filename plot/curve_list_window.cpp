// The curve list window: layout, buttons and the Plot run's hand-over to the graph window.
#include "plot/curve_list_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "plot/curve_store.h"
#include "plot/graph_window.h"

namespace {

// The right-hand column of controls.
constexpr int ColumnX = 608;
constexpr int ColumnWidth = 233;

} // namespace

TForm4::TForm4(CurveStore& store, MessageLog& log, TForm5& graph, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), log_(log), graph_(graph)
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
    Button1 = AddButton("Button1", "Procurar", &TForm4::Button1Click);
    Button1->setGeometry(ColumnX, 8, half, 25);
    Button4 = AddButton("Button4", "Copiar", &TForm4::Button4Click);
    Button4->setGeometry(ColumnX + ColumnWidth - half, 8, half, 25);
    Button2 = AddButton("Button2", "Limpar lista", &TForm4::Button2Click);
    Button2->setGeometry(ColumnX, 40, ColumnWidth, 25);
    Button3 = AddButton("Button3", "Plotar", &TForm4::Button3Click);
    Button3->setGeometry(ColumnX, 72, ColumnWidth, 25);
    CBnomes = AddCheckBox("CBnomes", "Usar nomes das colunas", &PlotOptions::CBnomes);
    CBnomes->setGeometry(ColumnX, 104, ColumnWidth, 20);
    CBauto = AddCheckBox("CBauto", "Escalar cada curva separadamente", &PlotOptions::CBauto);
    CBauto->setGeometry(ColumnX, 126, ColumnWidth, 20);
    CreateLimitsFrame()->setGeometry(ColumnX, 150, ColumnWidth, 148);
    CBmarcar = AddCheckBox("CBmarcar", "Marcar pontos", &PlotOptions::CBmarcar);
    CBmarcar->setGeometry(ColumnX, 304, ColumnWidth, 20);
    CreateScaleGroup()->setGeometry(ColumnX, 328, ColumnWidth, 118);
    CBfase = AddCheckBox("CBfase", "Fases na coluna 2 entre +/-180 graus", &PlotOptions::CBfase);
    CBfase->setGeometry(ColumnX, 452, ColumnWidth, 20);

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

QCheckBox* TForm4::AddCheckBox(const char* name, const char* caption, bool PlotOptions::*field)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(options_.*field);
    connect(box, &QCheckBox::toggled, this, [this, field](bool on) { options_.*field = on; });
    return box;
}

QLineEdit* TForm4::AddField(QWidget* frame, int row, const char* name, const char* label,
                            std::string PlotOptions::*field)
{
    auto* caption = new QLabel(QString::fromLatin1(label), frame);
    caption->setGeometry(10, 34 + 27 * row, 40, 22);
    auto* edit = new QLineEdit(QString::fromStdString(options_.*field), frame);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(56, 34 + 27 * row, ColumnWidth - 66, 22);
    caption->setBuddy(edit);
    connect(edit, &QLineEdit::textChanged, this,
            [this, field](const QString& text) { options_.*field = text.toStdString(); });
    return edit;
}

QGroupBox* TForm4::CreateLimitsFrame()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    CBescalas = new QCheckBox(QStringLiteral("Usar estas escalas"), frame);
    CBescalas->setObjectName(QStringLiteral("CBescalas"));
    CBescalas->setGeometry(10, 8, ColumnWidth - 20, 20);
    CBescalas->setChecked(options_.CBescalas);
    connect(CBescalas, &QCheckBox::toggled, this, [this](bool on) { options_.CBescalas = on; });
    Exmin = AddField(frame, 0, "Exmin", "Xmin", &PlotOptions::Exmin);
    Exmax = AddField(frame, 1, "Exmax", "Xmax", &PlotOptions::Exmax);
    Eymin = AddField(frame, 2, "Eymin", "Ymin", &PlotOptions::Eymin);
    Eymax = AddField(frame, 3, "Eymax", "Ymax", &PlotOptions::Eymax);
    return frame;
}

QGroupBox* TForm4::CreateScaleGroup()
{
    RGescala = new QGroupBox(QStringLiteral("Escala"), this);
    RGescala->setObjectName(QStringLiteral("RGescala"));
    scaleButtons_ = new QButtonGroup(RGescala);
    const char* const captions[] = {"Linear-Linear", "Log-Log", "Linear-Log", "Log-Linear"};
    for (int index = 0; index < 4; ++index) {
        auto* item = new QRadioButton(QString::fromLatin1(captions[index]), RGescala);
        item->setObjectName(QStringLiteral("RGescala%1").arg(index));
        item->setGeometry(10, 22 + 23 * index, ColumnWidth - 20, 20);
        scaleButtons_->addButton(item, index);
    }
    scaleButtons_->button(options_.RGescala)->setChecked(true);
    connect(scaleButtons_, &QButtonGroup::idToggled, this, [this](int index, bool on) {
        if (on)
            options_.RGescala = index;
    });
    return RGescala;
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

void TForm4::AddCurveLine(const QString& path)
{
    // " f 1m": the magnitude of node 1 against the frequency, in a table of the sweep.
    Memo1->appendPlainText(path + QStringLiteral(" f 1m"));
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
    bool show = RunPlot(store_, CurveLines(), options_, log_);
    ShowLimitFields();
    if (show)
        graph_.ShowPlot();
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
