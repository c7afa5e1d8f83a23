// TForm3, "Sobre": the program's name and, once "Sobre" was chosen, its version.
#pragma once

#include <QDialog>

class QLabel;

namespace talvor {

class TForm3 : public QDialog {
public:
    explicit TForm3(QWidget* parent = nullptr);

    // "Sobre": the version into Label1, and the box brought up.
    void ShowVersion();

private:
    QLabel* Label1; // the version text, empty until the first ShowVersion
    QLabel* Label2;
};

} // namespace talvor
