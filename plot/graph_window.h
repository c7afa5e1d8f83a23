// TForm5, "Gráficos": the graph window. For now it holds its caption only.
#pragma once

#include <QWidget>

class TForm5 : public QWidget {
public:
    explicit TForm5(QWidget* parent = nullptr);
};
