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

class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace talvor {

class CurveStore;
class MessageLog;

class TForm4 : public QWidget {
    Q_OBJECT

public:
    // The controls keep options current; a Plot run fills store and logs into log (the main
    // window's).
    TForm4(CurveStore& store, PlotOptions& options, MessageLog& log, QWidget* parent = nullptr);

    // The file name of the open dialog OpenDialog1: the last table browsed, or the table of the
    // last analysis, which the driver hands over.
    void SetTablePath(const QString& path) { tablePath_ = path; }
    const QString& TablePath() const { return tablePath_; }
    // The table the last run wrote and its circuit's node count: "Colunas..." then knows which
    // of its unknowns are nodes.
    void SetRunTable(const QString& path, int nodeCount)
    {
        runTable_ = path;
        runNodeCount_ = nodeCount;
    }
    // Runs OpenDialog1 from the given file name; returns the chosen file or an empty text.
    // Tests replace it to answer without a modal dialog.
    std::function<QString(const QString& start)> openDialog;
    // Runs a dialog modally and returns its result; tests replace it to answer the column picker.
    std::function<int(QDialog& dialog)> runDialog;

    // The column of controls in height units at most: with a scroll bar when it needs more.
    // Showing the window fits it to the screen's height.
    void FitControlsIntoHeight(int height);

    // The key "n" of the graph window: "Divisões numeradas" checked or unchecked.
    void ToggleNumberedDivisions();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    // "Colunas...": the column picker on the table of OpenDialog1; its checked columns become
    // curve lines.
    void Button5Click();

    // The lines of Memo1 as bytes (the file names as the file system spells them).
    std::vector<std::string> CurveLines() const;
    // Replaces the lines of Memo1 (a stepped analysis lists its curves there).
    void SetCurveLines(const std::vector<std::string>& lines);

signals:
    // A Plot run left something to draw: the graph window should draw it afresh and come up.
    void PlotReady();
    // "Divisões numeradas" changed: the graph should be drawn again.
    void NumberedDivisionsChanged();
    // A Plot run ended with nothing to draw: an open graph window should not keep its old
    // picture.
    void PlotFailed();

protected:
    // Opens within the screen; on a screen too short for the controls, their column scrolls.
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateControlColumn();

    QPushButton* AddButton(QWidget* parent, const char* name, const char* caption,
                           void (TForm4::*click)());
    QGroupBox* CreateLimitsFrame(QWidget* parent);
    QGroupBox* CreateScaleGroup(QWidget* parent);
    void AddCurveLine(const QString& path);
    void ShowLimitFields();

    CurveStore& store_;
    PlotOptions& options_;
    MessageLog& log_;
    QString tablePath_ = QStringLiteral("teste.tab");
    QString runTable_;
    int runNodeCount_ = -1;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Exmin = nullptr;
    QLineEdit* Exmax = nullptr;
    QLineEdit* Eymin = nullptr;
    QLineEdit* Eymax = nullptr;
    QCheckBox* CBdivisoes = nullptr;
    QLabel* LabelEstado = nullptr; // why the last Plot run drew nothing
    QScrollArea* controls_ = nullptr;
};

} // namespace talvor
