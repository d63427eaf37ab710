#include "ui/MSFlexGrid.h"

namespace ui {

MSFlexGrid::MSFlexGrid(QWidget* parent) : QTableView(parent) {}

} // namespace ui
