// The colour chooser of the graph window behind a small interface, so that tests can answer it
// without a modal dialog; ColorDialogChooser is the real one.
#pragma once

#include <cstdint>

class QColorDialog;
class QWidget;

class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    // Lets the user choose a colour: true with rgb (24-bit RGB) set when the choice is confirmed;
    // false, leaving rgb alone, when it is cancelled.
    virtual bool Choose(uint32_t& rgb) = 0;
};

// The modal colour dialog ColorDialog1. It opens showing the colour it returned last (black the
// first time), not the colour being replaced.
class ColorDialogChooser : public ColourChooser {
public:
    explicit ColorDialogChooser(QWidget* parent);
    bool Choose(uint32_t& rgb) override;

private:
    QColorDialog* dialog_;
    uint32_t lastChosen_ = 0x000000;
};
