// The column picker of the curve list.
#include "plot/column_picker.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/c_text.h"
#include "plot/table_reader.h"

namespace talvor {

namespace {

enum Column { NameColumn, MagnitudeColumn, PhaseColumn };

QString Shown(const std::string& bytes) { return QString::fromUtf8(DisplayText(bytes).c_str()); }

// A check box item named after its column, or an empty cell when the column does not exist.
QTableWidgetItem* ColumnItem(const std::string& column, bool checked)
{
    auto* item = new QTableWidgetItem(Shown(column));
    if (column.empty()) {
        item->setFlags(Qt::NoItemFlags);
        return item;
    }
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

ColumnPicker::ColumnPicker(QWidget* parent, const QString& path, int nodeCount) : QDialog(parent)
{
    setObjectName(QStringLiteral("ColumnPicker"));
    setWindowTitle(QStringLiteral("Colunas"));
    tableLabel_ = new QLabel(this);
    tableLabel_->setObjectName(QStringLiteral("LabelTabela"));
    tableLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* choose = new QPushButton(QStringLiteral("Tabela..."), this);
    choose->setObjectName(QStringLiteral("ButtonTabela"));
    connect(choose, &QPushButton::clicked, this, &ColumnPicker::ChooseTable);

    list_ = new QTableWidget(0, 3, this);
    list_->setObjectName(QStringLiteral("ListaColunas"));
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("Variável"), QStringLiteral("Módulo"), QStringLiteral("Fase")});
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(tableLabel_, 1);
    top->addWidget(choose);
    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(list_, 1);
    page->addWidget(buttons);
    resize(380, 420);
    ShowTable(path, nodeCount);
}

void ColumnPicker::ShowTable(const QString& path, int nodeCount)
{
    path_ = path;
    std::vector<std::string> header;
    const bool read = ReadTableHeader(QFile::encodeName(path).constData(), header);
    columns_ = PairColumns(header, nodeCount);
    tableLabel_->setText((read ? QStringLiteral("Tabela: ") : QStringLiteral("Tabela não lida: ")) +
                         path);
    const int likely = LikelyOutput(columns_);
    list_->setRowCount(static_cast<int>(columns_.entries.size()));
    for (int row = 0; row < list_->rowCount(); ++row) {
        const TableEntry& entry = columns_.entries[static_cast<size_t>(row)];
        auto* name = new QTableWidgetItem(Shown(entry.name));
        name->setFlags(Qt::ItemIsEnabled);
        list_->setItem(row, NameColumn, name);
        list_->setItem(row, MagnitudeColumn, ColumnItem(entry.magnitude, row == likely));
        list_->setItem(row, PhaseColumn, ColumnItem(entry.phase, false));
    }
    if (likely >= 0)
        list_->scrollToItem(list_->item(likely, NameColumn));
}

std::vector<std::string> ColumnPicker::CheckedColumns() const
{
    std::vector<std::string> checked;
    for (int row = 0; row < list_->rowCount(); ++row) {
        const TableEntry& entry = columns_.entries[static_cast<size_t>(row)];
        if (list_->item(row, MagnitudeColumn)->checkState() == Qt::Checked)
            checked.push_back(entry.magnitude);
        if (list_->item(row, PhaseColumn)->checkState() == Qt::Checked)
            checked.push_back(entry.phase);
    }
    return checked;
}

void ColumnPicker::ChooseTable()
{
    const QString chosen = openDialog ? openDialog(path_) : QString();
    if (!chosen.isEmpty())
        ShowTable(chosen, -1);
}

} // namespace talvor
