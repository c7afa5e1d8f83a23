// The curve list window: layout, buttons, and the Plot run with its hand-over to the graph window.
#include "plot/curve_list_window.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "common/message_log.h"
#include "plot/bound_controls.h"
#include "plot/column_picker.h"
#include "plot/screen_fit.h"
#include "plot/table_reader.h"

namespace talvor {

namespace {

// The right-hand column of controls keeps its width; Memo1 takes the rest of the window.
constexpr int ColumnWidth = 233;
// Below Memo1, which is 425 pixels high in the window's first size of 849 x 479; the status
// line of the Plot run takes it.
constexpr int SpaceBelowMemo = 38;
constexpr int PageMargin = 8;

// Hands every line on to the main window's log and keeps the last one: a failed Plot run's
// reason.
class LastLineSink : public MessageSink {
public:
    explicit LastLineSink(MessageSink& next) : next_(next) {}
    void WriteLine(std::string_view line) override
    {
        next_.WriteLine(line);
        last.assign(line);
    }
    std::string last;

private:
    MessageSink& next_;
};

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
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMinimumWidth(200);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("* Curvas a plotar: <arquivo> <coluna x> <coluna y>"));
    LabelEstado = new QLabel(this);
    LabelEstado->setObjectName(QStringLiteral("LabelEstado"));
    LabelEstado->setFixedHeight(SpaceBelowMemo);
    LabelEstado->setWordWrap(true);
    LabelEstado->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* memoColumn = new QVBoxLayout;
    memoColumn->setSpacing(0);
    memoColumn->addWidget(Memo1, 1);
    memoColumn->addWidget(LabelEstado);

    // Memo1 grows with the window; the layout's minimum keeps every control in sight, unless the
    // screen is too small for the column of controls, which then scrolls.
    controls_ = new QScrollArea(this);
    controls_->setObjectName(QStringLiteral("ScrollControles"));
    controls_->setFrameShape(QFrame::NoFrame);
    controls_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    controls_->setWidgetResizable(true);
    controls_->setWidget(CreateControlColumn());
    FitControlsIntoHeight(QWIDGETSIZE_MAX);
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(PageMargin, PageMargin, PageMargin, PageMargin);
    page->setSpacing(7);
    page->addLayout(memoColumn, 1);
    page->addWidget(controls_);

    openDialog = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, QString(), start,
                                            QStringLiteral("Tabelas(*.tab);;Todos(*.*)"));
    };
    runDialog = [](QDialog& dialog) { return dialog.exec(); };
    resize(849, 479);
}

// From the top: "Procurar" and "Copiar" side by side, "Limpar lista" and "Colunas...", "Plotar",
// the options with the limits frame and the scale group, CBfase, and "Divisões numeradas" at the
// bottom.
QWidget* TForm4::CreateControlColumn()
{
    auto* column = new QWidget(this);
    column->setFixedWidth(ColumnWidth);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(AddButton(column, "Button1", "Procurar", &TForm4::Button1Click));
    buttons->addWidget(AddButton(column, "Button4", "Copiar", &TForm4::Button4Click));
    auto* controls = new QVBoxLayout(column);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(3);
    auto* listButtons = new QHBoxLayout;
    listButtons->setSpacing(6);
    listButtons->addWidget(AddButton(column, "Button2", "Limpar lista", &TForm4::Button2Click));
    listButtons->addWidget(AddButton(column, "Button5", "Colunas...", &TForm4::Button5Click));
    controls->addLayout(buttons);
    controls->addLayout(listButtons);
    controls->addWidget(AddButton(column, "Button3", "Plotar", &TForm4::Button3Click));
    controls->addWidget(
        NewBoundCheckBox(column, "CBnomes", "Usar nomes das colunas", options_.CBnomes));
    controls->addWidget(
        NewBoundCheckBox(column, "CBauto", "Escalar cada curva separadamente", options_.CBauto));
    controls->addWidget(CreateLimitsFrame(column));
    controls->addWidget(NewBoundCheckBox(column, "CBmarcar", "Marcar pontos", options_.CBmarcar));
    controls->addWidget(CreateScaleGroup(column));
    controls->addWidget(NewBoundCheckBox(column, "CBfase", "Fases na coluna 2 entre +/-180 graus",
                                         options_.CBfase));
    CBdivisoes = NewBoundCheckBox(column, "CBdivisoes", "Divisões numeradas", options_.CBdivisoes);
    connect(CBdivisoes, &QCheckBox::toggled, this, &TForm4::NumberedDivisionsChanged);
    controls->addWidget(CBdivisoes);
    controls->addStretch(1); // a taller window leaves the room below the controls
    return column;
}

QPushButton* TForm4::AddButton(QWidget* parent, const char* name, const char* caption,
                               void (TForm4::*click)())
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, click);
    return button;
}

// "Usar estas escalas" over the four limit fields, Xmin to Ymax from the top.
QGroupBox* TForm4::CreateLimitsFrame(QWidget* parent)
{
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* fields = new QGridLayout(frame);
    fields->setVerticalSpacing(4);
    fields->addWidget(
        NewBoundCheckBox(frame, "CBescalas", "Usar estas escalas", options_.CBescalas), 0, 0, 1, 2);
    auto addField = [&](int row, const char* name, const char* label, std::string& field) {
        LabelledField limit = NewBoundField(frame, name, label, field);
        fields->addWidget(limit.label, row, 0);
        fields->addWidget(limit.edit, row, 1);
        return limit.edit;
    };
    Exmin = addField(1, "Exmin", "Xmin", options_.Exmin);
    Exmax = addField(2, "Exmax", "Xmax", options_.Exmax);
    Eymin = addField(3, "Eymin", "Ymin", options_.Eymin);
    Eymax = addField(4, "Eymax", "Ymax", options_.Eymax);
    fields->setColumnStretch(1, 1);
    return frame;
}

QGroupBox* TForm4::CreateScaleGroup(QWidget* parent)
{
    RadioGroup scale = NewBoundRadioGroup(parent, "RGescala", "Escala",
                                          {"Linear-Linear", "Log-Log", "Linear-Log", "Log-Linear"},
                                          options_.RGescala);
    auto* items = new QVBoxLayout(scale.group);
    items->setSpacing(2);
    for (QRadioButton* item : scale.items)
        items->addWidget(item);
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

void TForm4::SetCurveLines(const std::vector<std::string>& lines)
{
    QStringList text;
    for (const std::string& line : lines)
        text.append(QFile::decodeName(line.c_str()));
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
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
    LastLineSink lines(log_.Sink());
    MessageLog runLog(lines);
    const bool drawable = RunPlot(store_, CurveLines(), options_, runLog);
    ShowLimitFields();
    // The reason of a failure shows here too: the main window's log may lie behind this one.
    LabelEstado->setText(drawable ? QString() : QString::fromUtf8(lines.last));
    if (drawable)
        emit PlotReady();
    else
        emit PlotFailed();
}

// "Copiar"
void TForm4::Button4Click() { AddCurveLine(tablePath_); }

// "Colunas..."
void TForm4::Button5Click()
{
    ColumnPicker picker(this, tablePath_, tablePath_ == runTable_ ? runNodeCount_ : -1);
    picker.openDialog = openDialog;
    if (runDialog(picker) != QDialog::Accepted)
        return;
    tablePath_ = picker.TablePath(); // another table picked there is browsed, as with "Procurar"
    const QString x = QFile::decodeName(picker.XColumn().c_str());
    for (const std::string& column : picker.CheckedColumns())
        Memo1->appendPlainText(tablePath_ + QLatin1Char(' ') + x + QLatin1Char(' ') +
                               QFile::decodeName(column.c_str()));
}

void TForm4::ToggleNumberedDivisions() { CBdivisoes->toggle(); }

// Without a scroll bar when the column fits height units, with one when it does not.
void TForm4::FitControlsIntoHeight(int height)
{
    const int needed = controls_->widget()->minimumSizeHint().height();
    const bool scrolls = needed > height;
    controls_->setMinimumHeight(scrolls ? height : needed);
    controls_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    controls_->setFixedWidth(ColumnWidth +
                             (scrolls ? controls_->verticalScrollBar()->sizeHint().width() : 0));
}

void TForm4::showEvent(QShowEvent* event)
{
    FitControlsIntoHeight(RoomOnScreen(*this).height() - 2 * PageMargin);
    FitIntoScreen(*this);
    QWidget::showEvent(event);
}

void TForm4::ShowLimitFields()
{
    Exmin->setText(QString::fromStdString(options_.Exmin));
    Exmax->setText(QString::fromStdString(options_.Exmax));
    Eymin->setText(QString::fromStdString(options_.Eymin));
    Eymax->setText(QString::fromStdString(options_.Eymax));
}

} // namespace talvor
