// The about box.
#include "app/about_box.h"

#include <QLabel>
#include <QVBoxLayout>

namespace talvor {

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Sobre"));
    setModal(false);
    Label2 = new QLabel(QStringLiteral("Programa Talvor"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(Label2, 0, Qt::AlignHCenter);
    column->addWidget(Label1, 0, Qt::AlignHCenter);
    resize(369, 129);
}

void TForm3::ShowVersion()
{
    Label1->setText(QStringLiteral("Versão 1.4 de 16/12/2018"));
    show();
    raise();
    activateWindow();
}

} // namespace talvor
