// TForm4, "Lista de curvas": the curve list window. For now it holds its caption and the file
// name of its open dialog, which the analysis sets to the table it has just written.
#pragma once

#include <QString>
#include <QWidget>

class TForm4 : public QWidget {
public:
    explicit TForm4(QWidget* parent = nullptr);

    void SetTablePath(const QString& path) { tablePath_ = path; }
    const QString& TablePath() const { return tablePath_; }

private:
    QString tablePath_ = QStringLiteral("teste.tab");
};
