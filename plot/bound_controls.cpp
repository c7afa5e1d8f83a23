// Check boxes, edit fields and radio groups that keep a field of an options struct current.
#include "plot/bound_controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace talvor {

QCheckBox* NewBoundCheckBox(QWidget* parent, const char* name, const char* caption, bool& field)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(field);
    QObject::connect(box, &QCheckBox::toggled, box, [&field](bool on) { field = on; });
    return box;
}

LabelledField NewBoundField(QWidget* parent, const char* name, const char* label,
                            std::string& field)
{
    auto* edit = new QLineEdit(QString::fromStdString(field), parent);
    edit->setObjectName(QString::fromLatin1(name));
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [&field](const QString& text) { field = text.toStdString(); });
    auto* caption = new QLabel(QString::fromUtf8(label), parent);
    caption->setBuddy(edit);
    return {caption, edit};
}

RadioGroup NewBoundRadioGroup(QWidget* parent, const char* name, const char* title,
                              std::initializer_list<const char*> captions, int& field)
{
    RadioGroup radio{new QGroupBox(QString::fromUtf8(title), parent), {}};
    radio.group->setObjectName(QString::fromLatin1(name));
    auto* buttons = new QButtonGroup(radio.group);
    for (const char* caption : captions) {
        auto* item = new QRadioButton(QString::fromUtf8(caption), radio.group);
        item->setObjectName(QString::fromLatin1(name) + QString::number(radio.items.size()));
        buttons->addButton(item, int(radio.items.size()));
        radio.items.append(item);
    }
    buttons->button(field)->setChecked(true);
    QObject::connect(buttons, &QButtonGroup::idToggled, radio.group, [&field](int id, bool on) {
        if (on)
            field = id;
    });
    return radio;
}

} // namespace talvor
