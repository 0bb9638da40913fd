#include "views/FrmInsRemCent.h"

#include "views/GridCentraline.h"
#include "views/widgets/Appearance.h"
#include "views/widgets/StyledControls.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

FrmInsRemCent::FrmInsRemCent(GridCentraline& grid, int mouseRow, const AppearanceValues& look,
                             QWidget* parent)
    : QWidget(parent, Qt::Popup), grid_(grid), mouseRow_(mouseRow) {
    setObjectName(QStringLiteral("FrmInsRemCent"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 10);
    v->setSpacing(8);
    label_ = new LB_OCX(QStringLiteral("Remove row ") + QString::number(mouseRow), this);
    label_->setObjectName(QStringLiteral("LBRemoveRow"));
    v->addWidget(label_);
    auto* h = new QHBoxLayout();
    remove_ = new XPButton(QStringLiteral("Remove"), this);
    remove_->setObjectName(QStringLiteral("CMBRemove"));
    exit_ = new XPButton(QStringLiteral("Cancel"), this);
    exit_->setObjectName(QStringLiteral("CMBExit"));
    h->addWidget(remove_);
    h->addWidget(exit_);
    v->addLayout(h);
    ApplyAppearance(this, look);
    connect(remove_, &QPushButton::clicked, this, &FrmInsRemCent::remove);
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
}

QString FrmInsRemCent::text() const {
    return label_->caption();
}

void FrmInsRemCent::remove() {
    if (grid_.stationRows() >= 1) {
        grid_.RemoveStation(mouseRow_ - 1);
        grid_.RebuildGrid();
        const int row = std::max(1, mouseRow_ - 1);
        grid_.setCurrentGridCell(row, grid_.columnOf(Column::Comm));
        grid_.BeginCellEdit(row, grid_.columnOf(Column::Comm));
        grid_.storePanel();
    }
    emit removed();
    close();
}
