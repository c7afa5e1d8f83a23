// The colour chooser: a QColorDialog named ColorDialog1.
#include "plot/colour_chooser.h"

#include <QColorDialog>

ColorDialogChooser::ColorDialogChooser(QWidget* parent) : dialog_(new QColorDialog(parent))
{
    dialog_->setObjectName(QStringLiteral("ColorDialog1"));
    dialog_->setModal(true);
}

bool ColorDialogChooser::Choose(uint32_t& rgb)
{
    dialog_->setCurrentColor(QColor::fromRgb(static_cast<QRgb>(lastChosen_)));
    if (dialog_->exec() != QDialog::Accepted)
        return false;
    lastChosen_ = dialog_->selectedColor().rgb() & 0xFFFFFF;
    rgb = lastChosen_;
    return true;
}
