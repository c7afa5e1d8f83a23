// "Colunas": the columns of a table with check boxes, magnitude and phase side by side per
// unknown, the node most likely the output checked at first. "OK" leaves the checked columns for
// the curve list to add as curve lines.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "plot/table_columns.h"

class QLabel;
class QTableWidget;

namespace talvor {

class ColumnPicker : public QDialog {
    Q_OBJECT

public:
    // The table at path; nodeCount is the number of nodes of the run that wrote it, or -1 when
    // it is not the last run's table.
    ColumnPicker(QWidget* parent, const QString& path, int nodeCount);

    // Chooses another table ("Tabela..."): returns its path, or an empty text when cancelled.
    // The curve list hands its own open dialog; tests answer it.
    std::function<QString(const QString& start)> openDialog;

    const QString& TablePath() const { return path_; }
    const std::string& XColumn() const { return columns_.x; }
    // The checked columns, row by row, magnitude before phase.
    std::vector<std::string> CheckedColumns() const;
    // Lists the table at path; a table that cannot be read lists nothing and says so.
    void ShowTable(const QString& path, int nodeCount);

private:
    void ChooseTable();

    QString path_;
    TableColumns columns_;
    QLabel* tableLabel_ = nullptr;
    QTableWidget* list_ = nullptr;
};

} // namespace talvor
