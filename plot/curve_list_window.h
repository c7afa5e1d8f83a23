// TForm4, "Lista de curvas": the curve lines, the buttons that add, clear and plot them, and the
// plot options. Every change of a control updates the PlotOptions value at once, so the Plot run
// and the graph window see the controls' current state.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "plot/plot_run.h"

class CurveStore;
class MessageLog;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TForm5;

class TForm4 : public QWidget {
public:
    // Messages go to log (the main window's); a Plot run fills store and shows graph.
    TForm4(CurveStore& store, MessageLog& log, TForm5& graph, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // "Procurar"
    QPushButton* Button2 = nullptr; // "Limpar lista"
    QPushButton* Button3 = nullptr; // "Plotar"
    QPushButton* Button4 = nullptr; // "Copiar"
    QCheckBox* CBnomes = nullptr;
    QCheckBox* CBauto = nullptr;
    QCheckBox* CBescalas = nullptr;
    QLineEdit* Exmin = nullptr;
    QLineEdit* Exmax = nullptr;
    QLineEdit* Eymin = nullptr;
    QLineEdit* Eymax = nullptr;
    QCheckBox* CBmarcar = nullptr;
    QGroupBox* RGescala = nullptr;
    QCheckBox* CBfase = nullptr;

    const PlotOptions& Options() const { return options_; }

    // The file name of the open dialog OpenDialog1: the last table browsed, or the table of the
    // last analysis, which the driver hands over.
    void SetTablePath(const QString& path) { tablePath_ = path; }
    const QString& TablePath() const { return tablePath_; }
    // Runs OpenDialog1 from the given file name; returns the chosen file or an empty text.
    // Tests replace it to answer without a modal dialog.
    std::function<QString(const QString& start)> openDialog;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

    // The lines of Memo1 as bytes (the file names as the file system spells them).
    std::vector<std::string> CurveLines() const;

private:
    QPushButton* AddButton(const char* name, const char* caption, void (TForm4::*click)());
    QCheckBox* AddCheckBox(const char* name, const char* caption, bool PlotOptions::*field);
    QLineEdit* AddField(QWidget* frame, int row, const char* name, const char* label,
                        std::string PlotOptions::*field);
    QGroupBox* CreateLimitsFrame();
    QGroupBox* CreateScaleGroup();
    void AddCurveLine(const QString& path);
    void ShowLimitFields();

    CurveStore& store_;
    MessageLog& log_;
    TForm5& graph_;
    PlotOptions options_;
    QString tablePath_ = QStringLiteral("teste.tab");
    QButtonGroup* scaleButtons_ = nullptr;
};
