#pragma once

#include <QTableView>

namespace ui {

// The result grid control. (A first outline: the cell store and the grid's own API follow.)
class MSFlexGrid : public QTableView
{
    Q_OBJECT
public:
    explicit MSFlexGrid(QWidget* parent = nullptr);
};

} // namespace ui
