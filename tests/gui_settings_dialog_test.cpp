// The "Parâmetros" dialog: captions, defaults, and settings that follow every change at once.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/settings_dialog.h"
#include "window_support.h"

using namespace talvor;

namespace {

struct CheckBoxCase {
    const char* name;
    const char* caption;
    bool AnalysisSettings::*field;
    bool checkedAtStart;
};

const CheckBoxCase checkBoxes[] = {
    {"CBestampas", "Mostrar estampas ", &AnalysisSettings::CBestampas, false},
    {"CBresultados", "Mostrar resultados", &AnalysisSettings::CBresultados, false},
    {"CBignorar", "Ignorar linha de comando", &AnalysisSettings::CBignorar, false},
    {"CBdiodos", "Montar diodos MOS", &AnalysisSettings::CBdiodos, false},
    {"CBconduz", "Inicializar com diodos e MOS conduzindo", &AnalysisSettings::CBconduz, false},
    {"CBcdiodos", "Montar capacitâncias de diodos e Cbe, Cbc de transistores bipolares",
     &AnalysisSettings::CBcdiodos, true},
    {"CBHz", "Frequências em Hz", &AnalysisSettings::CBHz, true},
    {"CBdB", "Módulos em dB", &AnalysisSettings::CBdB, false},
    {"CBgraus", "Fases em graus", &AnalysisSettings::CBgraus, true},
    {"CBcmos", "Montar capacitâncias  MOS Cgs e Cgd", &AnalysisSettings::CBcmos, true},
    {"CBcgb", "Montar capacitâncias  MOS Cgb", &AnalysisSettings::CBcgb, true},
};

struct FieldCase {
    const char* name;
    const char* label;
    std::string AnalysisSettings::*field;
    const char* textAtStart;
};

const FieldCase fields[] = {
    {"Evdmax", "Máxima tensão para função exponencial em diodos", &AnalysisSettings::Evdmax, "0.7"},
    {"Eg0", "Condutância colocada no lugar de capacitâncias no cálculo do P. O.",
     &AnalysisSettings::Eg0, "1e-9"},
    {"Einicio", "Aproximação inicial para as tensões e correntes: ", &AnalysisSettings::Einicio,
     "0"},
    {"Efinicial", "Frequência inicial", &AnalysisSettings::Efinicial, "1"},
    {"Effinal", "Frequência final", &AnalysisSettings::Effinal, "10000"},
    {"Epontos", "Pontos", &AnalysisSettings::Epontos, "1000"},
};

template <typename T>
T* Find(const QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

TEST(GuiSettings, CheckBoxesHaveTheirCaptionsDefaultsAndFeedTheSettingsLive)
{
    TForm2 dialog;
    for (const CheckBoxCase& c : checkBoxes) {
        auto* box = Find<QCheckBox>(dialog, c.name);
        ASSERT_NE(box, nullptr) << c.name;
        EXPECT_EQ(box->text(), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(box->isChecked(), c.checkedAtStart) << c.name;
        EXPECT_EQ(dialog.Settings().*c.field, c.checkedAtStart) << c.name;
        box->click();
        EXPECT_EQ(dialog.Settings().*c.field, !c.checkedAtStart) << c.name;
    }
    EXPECT_FALSE(dialog.SettingsApplied()); // no "Aplicar" needed for any of it
}

TEST(GuiSettings, FieldsHaveTheirLabelsDefaultsAndFeedTheSettingsLive)
{
    TForm2 dialog;
    for (const FieldCase& c : fields) {
        auto* edit = Find<QLineEdit>(dialog, c.name);
        ASSERT_NE(edit, nullptr) << c.name;
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.textAtStart)) << c.name;
        EXPECT_EQ(dialog.Settings().*c.field, c.textAtStart) << c.name;
        bool labelled = false;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            labelled |= label->buddy() == edit && label->text() == QString::fromUtf8(c.label);
        EXPECT_TRUE(labelled) << c.name;
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("2.5e3"));
        EXPECT_EQ(dialog.Settings().*c.field, "2.5e3") << c.name;
    }
    auto* label1 = Find<QLabel>(dialog, "Label1");
    ASSERT_NE(label1, nullptr);
    EXPECT_EQ(label1->text(),
              QStringLiteral("Se não existir linha de comando (ou for ignorada), usar:"));
}

TEST(GuiSettings, ScaleGroupGivesTheItemIndex)
{
    TForm2 dialog;
    auto* group = Find<QGroupBox>(dialog, "RGescala");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Escala"));
    const QList<QRadioButton*> items = group->findChildren<QRadioButton*>();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Linear"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Logarítmica"));
    EXPECT_EQ(items[2]->text(), QStringLiteral("Octal"));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_EQ(dialog.Settings().RGescala, 0);
    for (int index : {2, 1, 0}) {
        items[index]->click();
        EXPECT_EQ(dialog.Settings().RGescala, index);
    }
}

TEST(GuiSettings, AplicarSetsTheFlagAndHidesTheDialog)
{
    TForm2 dialog;
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(503, 457));
    auto* apply = Find<QPushButton>(dialog, "Button1");
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->text(), QStringLiteral("Aplicar"));
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_TRUE(dialog.SettingsApplied());
    EXPECT_FALSE(dialog.isVisible());
}

// Typing a frequency and pressing Enter does not apply; only the button itself does, by a
// click or by Space when it has the focus.
TEST(GuiSettings, EnterInAFieldIsNotAplicar)
{
    TForm2 dialog;
    dialog.AskForSettings();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (const FieldCase& c : fields) {
        auto* edit = Find<QLineEdit>(dialog, c.name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("20"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        EXPECT_FALSE(dialog.SettingsApplied()) << c.name;
        EXPECT_TRUE(dialog.isVisible()) << c.name;
    }
    auto* apply = Find<QPushButton>(dialog, "Button1");
    apply->setFocus();
    QTest::keyClick(apply, Qt::Key_Return);
    EXPECT_FALSE(dialog.SettingsApplied());
    QTest::keyClick(apply, Qt::Key_Space);
    EXPECT_TRUE(dialog.SettingsApplied());
    EXPECT_FALSE(dialog.isVisible());
}

TEST(GuiSettings, TwoColumnsOfCheckBoxesAboveTheFields)
{
    TForm2 dialog;
    dialog.show();
    auto left = [&](const char* name) { return Find<QWidget>(dialog, name)->geometry(); };
    // Left column, top to bottom, then the wide one; right column beside the left one.
    const char* leftColumn[] = {"CBestampas", "CBresultados", "CBignorar",
                                "CBdiodos",   "CBconduz",     "CBcdiodos"};
    const char* rightColumn[] = {"CBHz", "CBdB", "CBgraus", "CBcmos", "CBcgb"};
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(left(leftColumn[i]).x(), left(leftColumn[0]).x());
        EXPECT_GT(left(leftColumn[i]).y(), left(leftColumn[i - 1]).y());
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(left(rightColumn[i]).y(), left(leftColumn[i]).y());
        EXPECT_GT(left(rightColumn[i]).x(), left(leftColumn[i]).right());
    }
    EXPECT_GT(left("Evdmax").y(), left("CBcdiodos").bottom());
    EXPECT_GT(left("Efinicial").y(), left("Einicio").bottom());
    EXPECT_GT(left("Button1").y(), left("Epontos").bottom());
    EXPECT_GT(left("Button1").x(), dialog.width() / 2);
}

// "Parâmetros" opens at 503 x 457; enlarged or shrunk to its smallest, every control stays in
// sight, none over another.
TEST(GuiSettings, ControlsStayInSightAtAnySize)
{
    TForm2 dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(503, 457));
    EXPECT_EQ(LayoutFaults(dialog), "");
    for (QSize size : {QSize(900, 700), QSize(100, 100)}) {
        dialog.resize(size);
        QApplication::processEvents();
        EXPECT_EQ(LayoutFaults(dialog), "") << size.width();
    }
    EXPECT_EQ(dialog.size(), dialog.minimumSize());
    EXPECT_LE(dialog.width(), 503);
    EXPECT_LE(dialog.height(), 457);
}
