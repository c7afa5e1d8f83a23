// "Variar parâmetro": the stepped or Monte Carlo analysis of the netlist last analysed. Steps take
// an element of the netlist, one of its values and a list or range of values; Monte Carlo takes
// tolerances, a run count, a distribution and a seed; both a node whose curves are plotted.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "steps/step_plan.h"
#include "steps/step_request.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace talvor {

// What "Executar" asks for.
struct StepChoice {
    std::string netlistPath; // the netlist whose elements the dialog listed
    StepRequest request;
    std::string node;       // the unknown whose magnitude is plotted and measured
    bool seedGiven = false; // Monte Carlo: false draws from a new seed
};

class StepDialog : public QDialog {
    Q_OBJECT

public:
    explicit StepDialog(QWidget* parent = nullptr);

    // Reads the netlist, without a word in the log, and lists its elements and unknowns. False
    // when it cannot be read; the dialog then says so and "Executar" stays disabled.
    bool Load(const std::string& netlistPath, bool ignoreAcLine);

    // Called by "Executar" with a valid choice; the program runs it.
    std::function<void(const StepChoice&)> run;

    void Button1Click(); // "Executar"

private:
    QWidget* CreateStepFields();
    QWidget* CreateMonteCarloFields();
    void ElementChosen(int index);
    void SlotChosen(int index);
    void ShowMode();
    bool ReadChoice(StepChoice& choice);
    void Say(const QString& message);

    std::string netlistPath_; // as the reader named it: "rc" is "rc.net"
    std::vector<VariableElement> elements_;

    QLabel* Lnetlist;
    QRadioButton* RBpassos;
    QRadioButton* RBmontecarlo;
    QWidget* stepFields_;
    QWidget* monteCarloFields_;
    QComboBox* CBelemento;
    QComboBox* CBvalor;
    QLineEdit* Evalores;
    QLineEdit* Etolerancias;
    QLineEdit* Eexecucoes;
    QComboBox* CBdistribuicao;
    QLineEdit* Esemente;
    QComboBox* CBno;
    QLabel* Lmensagem;
    QPushButton* Button1;
};

} // namespace talvor
