// The dialog of stepped and Monte Carlo analyses: its fields, filled from the netlist, and the
// choice that "Executar" hands to the program.
#include "app/step_dialog.h"

#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>

#include "common/message_log.h"
#include "netlist/circuit.h"
#include "netlist/netlist_reader.h"

namespace talvor {

namespace {

class Silent : public MessageSink {
public:
    void WriteLine(std::string_view) override {}
};

QString Text(const std::string& bytes) { return QFile::decodeName(bytes.c_str()); }

std::string Bytes(const QString& text) { return QFile::encodeName(text.trimmed()).toStdString(); }

// The unknown most likely the output: a node so named, else the last node.
int LikelyOutput(const Circuit& circuit)
{
    for (int k = 1; k <= circuit.nodeCount; ++k)
        for (const char* name : {"saida", "saída", "out", "vout", "vo", "Vout", "Vo"})
            if (std::string(circuit.nodeTable[k]) == name)
                return k;
    return circuit.nodeCount;
}

// "R:5%,C:10%": the usual tolerances of the passive types the netlist holds.
QString UsualTolerances(const Circuit& circuit)
{
    QStringList tolerances;
    for (const auto& [letter, percent] : {std::pair{'R', "5%"}, {'C', "10%"}, {'L', "10%"}})
        for (int k = 1; k <= circuit.elementCount; ++k)
            if (circuit.element(k).Type() == letter) {
                tolerances.append(
                    QStringLiteral("%1:%2").arg(QLatin1Char(letter)).arg(QLatin1String(percent)));
                break;
            }
    return tolerances.join(QLatin1Char(','));
}

} // namespace

StepDialog::StepDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("StepDialog"));
    setWindowTitle(QStringLiteral("Variar parâmetro"));
    setModal(false);

    Lnetlist = new QLabel(this);
    Lnetlist->setObjectName(QStringLiteral("Lnetlist"));
    RBpassos = new QRadioButton(QStringLiteral("Passos: um valor por análise"), this);
    RBpassos->setObjectName(QStringLiteral("RBpassos"));
    RBmontecarlo = new QRadioButton(QStringLiteral("Monte Carlo: valores sorteados"), this);
    RBmontecarlo->setObjectName(QStringLiteral("RBmontecarlo"));
    RBpassos->setChecked(true);
    connect(RBpassos, &QRadioButton::toggled, this, &StepDialog::ShowMode);

    CBno = new QComboBox(this);
    CBno->setObjectName(QStringLiteral("CBno"));
    Lmensagem = new QLabel(this);
    Lmensagem->setObjectName(QStringLiteral("Lmensagem"));
    Lmensagem->setWordWrap(true);
    Button1 = new QPushButton(QStringLiteral("Executar"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, &StepDialog::Button1Click);

    auto* nodeRow = new QFormLayout;
    nodeRow->addRow(QStringLiteral("Nó a plotar e medir:"), CBno);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(Lnetlist);
    page->addWidget(RBpassos);
    page->addWidget(stepFields_ = CreateStepFields());
    page->addWidget(RBmontecarlo);
    page->addWidget(monteCarloFields_ = CreateMonteCarloFields());
    page->addLayout(nodeRow);
    page->addWidget(Lmensagem);
    page->addStretch(1);
    page->addLayout(buttons);
    ShowMode();
    resize(460, 400);
}

QWidget* StepDialog::CreateStepFields()
{
    auto* fields = new QWidget(this);
    CBelemento = new QComboBox(fields);
    CBelemento->setObjectName(QStringLiteral("CBelemento"));
    CBvalor = new QComboBox(fields);
    CBvalor->setObjectName(QStringLiteral("CBvalor"));
    Evalores = new QLineEdit(fields);
    Evalores->setObjectName(QStringLiteral("Evalores"));
    Evalores->setToolTip(QStringLiteral(
        "1000,2200,4700; lin:INÍCIO:FIM:N (N valores); dec:INÍCIO:FIM:N (N por década)"));
    connect(CBelemento, &QComboBox::currentIndexChanged, this, &StepDialog::ElementChosen);
    connect(CBvalor, &QComboBox::currentIndexChanged, this, &StepDialog::SlotChosen);
    auto* form = new QFormLayout(fields);
    form->addRow(QStringLiteral("Elemento:"), CBelemento);
    form->addRow(QStringLiteral("Valor:"), CBvalor);
    form->addRow(QStringLiteral("Valores:"), Evalores);
    form->addRow(QString(), new QLabel(QStringLiteral("1000,2200,4700 ou lin:1000:5000:5 ou "
                                                      "dec:100:100000:4 (4 por década)"),
                                       fields));
    return fields;
}

QWidget* StepDialog::CreateMonteCarloFields()
{
    auto* fields = new QWidget(this);
    Etolerancias = new QLineEdit(fields);
    Etolerancias->setObjectName(QStringLiteral("Etolerancias"));
    Eexecucoes = new QLineEdit(QStringLiteral("20"), fields);
    Eexecucoes->setObjectName(QStringLiteral("Eexecucoes"));
    CBdistribuicao = new QComboBox(fields);
    CBdistribuicao->setObjectName(QStringLiteral("CBdistribuicao"));
    CBdistribuicao->addItems(
        {QStringLiteral("uniforme"), QStringLiteral("normal (tolerância = 3 sigma)")});
    Esemente = new QLineEdit(fields);
    Esemente->setObjectName(QStringLiteral("Esemente"));
    Esemente->setPlaceholderText(QStringLiteral("vazia: uma nova, dita no registro"));
    auto* form = new QFormLayout(fields);
    form->addRow(QStringLiteral("Tolerâncias:"), Etolerancias);
    form->addRow(QString(), new QLabel(QStringLiteral("R:5%,C:10% por tipo; R1:1% ou Q1.VA:20% "
                                                      "por elemento"),
                                       fields));
    form->addRow(QStringLiteral("Execuções:"), Eexecucoes);
    form->addRow(QStringLiteral("Distribuição:"), CBdistribuicao);
    form->addRow(QStringLiteral("Semente:"), Esemente);
    return fields;
}

void StepDialog::ShowMode()
{
    stepFields_->setEnabled(RBpassos->isChecked());
    monteCarloFields_->setEnabled(RBmontecarlo->isChecked());
}

bool StepDialog::Load(const std::string& netlistPath, bool ignoreAcLine)
{
    Silent silent;
    MessageLog quiet(silent);
    auto circuit = std::make_unique<Circuit>();
    const bool read = ReadNetlist(*circuit, quiet, netlistPath, ignoreAcLine);
    netlistPath_ = circuit->netlistPath;
    elements_.clear();
    CBelemento->clear();
    CBno->clear();
    Lmensagem->clear();
    Button1->setEnabled(read);
    if (!read) {
        Lnetlist->setText(QStringLiteral("Netlist: %1").arg(Text(netlistPath)));
        Say(QStringLiteral("O netlist não pôde ser lido: abra-o com Arquivo / Abrir para ver por "
                           "quê."));
        return false;
    }
    Lnetlist->setText(QStringLiteral("Netlist: %1").arg(Text(circuit->netlistPath)));
    // Filled before the list, whose first item is chosen (and its values listed) at once.
    elements_ = VariableElements(*circuit);
    for (const VariableElement& element : elements_)
        CBelemento->addItem(Text(element.name));
    for (int k = 1; k <= circuit->variableCount; ++k)
        CBno->addItem(Text(circuit->nodeTable[k]));
    CBno->setCurrentIndex(LikelyOutput(*circuit) - 1);
    Etolerancias->setText(UsualTolerances(*circuit));
    return true;
}

void StepDialog::ElementChosen(int index)
{
    CBvalor->clear();
    if (index < 0 || index >= static_cast<int>(elements_.size()))
        return;
    const VariableElement& element = elements_[index];
    for (const std::string& slot : element.valueNames)
        CBvalor->addItem(Text(slot));
    CBvalor->setCurrentIndex(element.mainSlot >= 0 ? element.mainSlot : 0);
}

// A starting list around the netlist's value: half, the value, twice.
void StepDialog::SlotChosen(int index)
{
    const int element = CBelemento->currentIndex();
    if (element < 0 || index < 0)
        return;
    const double value = elements_[element].values[index];
    if (value != 0)
        Evalores->setText(QString::asprintf("%g,%g,%g", value / 2, value, value * 2));
}

void StepDialog::Say(const QString& message) { Lmensagem->setText(message); }

bool StepDialog::ReadChoice(StepChoice& choice)
{
    choice.netlistPath = netlistPath_;
    choice.node = Bytes(CBno->currentText());
    if (choice.node.empty()) {
        Say(QStringLiteral("Escolha um nó."));
        return false;
    }
    StepRequest& request = choice.request;
    if (RBpassos->isChecked()) {
        const int element = CBelemento->currentIndex();
        if (element < 0) {
            Say(QStringLiteral("O netlist não tem valores a variar."));
            return false;
        }
        const VariableElement& chosen = elements_[element];
        const int slot = CBvalor->currentIndex();
        request.target.name = chosen.name;
        request.target.slot = slot == chosen.mainSlot ? std::string() : chosen.valueNames[slot];
        if (!ParseValueList(Bytes(Evalores->text()), request.values)) {
            Say(QStringLiteral("Valores inválidos: escreva 1000,2200,4700, lin:INÍCIO:FIM:N ou "
                               "dec:INÍCIO:FIM:N, com números sem sufixos (até %1 valores).")
                    .arg(MaxStepRuns));
            return false;
        }
        return true;
    }
    if (!ParseTolerances(Bytes(Etolerancias->text()), request.tolerances)) {
        Say(QStringLiteral("Tolerâncias inválidas: escreva R:5%,C:10% (por tipo), R1:1% ou "
                           "Q1.VA:20% (por elemento), de 0 a 100%."));
        return false;
    }
    if (!ParseRunCount(Bytes(Eexecucoes->text()), request.runs)) {
        Say(QStringLiteral("Número de execuções inválido: de 1 a %1.").arg(MaxStepRuns));
        return false;
    }
    request.distribution =
        CBdistribuicao->currentIndex() == 1 ? Distribution::Gauss : Distribution::Uniform;
    const std::string seed = Bytes(Esemente->text());
    choice.seedGiven = !seed.empty();
    if (choice.seedGiven && !ParseSeed(seed, request.seed)) {
        Say(QStringLiteral("Semente inválida: um inteiro de 0 a 18446744073709551615, ou nada "
                           "para uma nova."));
        return false;
    }
    return true;
}

void StepDialog::Button1Click()
{
    StepChoice choice;
    if (!ReadChoice(choice))
        return;
    Lmensagem->clear();
    if (run)
        run(choice);
}

} // namespace talvor
