// TForm3, "Sobre": the program's name and, once "Sobre" was chosen, its version.
#pragma once

#include <QDialog>

class QLabel;

class TForm3 : public QDialog {
public:
    explicit TForm3(QWidget* parent = nullptr);

    QLabel* Label1; // the version text, empty until Sobre1Click
    QLabel* Label2;
};
