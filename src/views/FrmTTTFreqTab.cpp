#include "views/FrmTTTFreqTab.h"

#include "views/FreqTableGridModel.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

FrmTTTFreqTab::FrmTTTFreqTab(FreqTable& table, const Switches& switches, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      core_(table, switches) {
    setObjectName(QStringLiteral("FrmTTTFreqTab"));
    setWindowTitle(QStringLiteral("Frequency Table"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("TabFreqTable"));
    grid_->setFocusPolicy(Qt::NoFocus);
    model_ = new FreqTableGridModel(core_, false, this);
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 0; c < 3; ++c)
        grid_->setColumnWidth(c, FreqTableGridModel::columnWidth(c) + 12);
    v->addWidget(grid_);
    connect(grid_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& i) { doubleClicked(i.row(), i.column()); });
    timer1_.setSingleShot(true);
    timer1_.setInterval(100);
    connect(&timer1_, &QTimer::timeout, this, [this] { ++timerCount_; });
}

FrmTTTFreqTab::~FrmTTTFreqTab() = default;

void FrmTTTFreqTab::load() {
    open_ = true;
    DaStraGridFreqTable();
    clickedRow_ = -1;
    clickedColumn_ = -1;
    timer1_.start();
    show();
    raise();
}

void FrmTTTFreqTab::DaStraGridFreqTable() {
    model_->refill();
    DimensionaTabella();
}

void FrmTTTFreqTab::DimensionaTabella() {
    const int rowHeight = grid_->verticalHeader()->defaultSectionSize();
    int width = 2 * grid_->frameWidth();
    for (int c = 0; c < 3; ++c)
        width += grid_->columnWidth(c);
    int height = grid_->horizontalHeader()->sizeHint().height() + model_->rowCount() * rowHeight +
                 2 * grid_->frameWidth();
    // A hundred rows may not fit the screen: the grid then scrolls.
    const QScreen* s = screen();
    const int room = s ? s->availableGeometry().height() - 80 : height;
    if (height > room) {
        height = room;
        width += grid_->verticalScrollBar()->sizeHint().width();
    }
    setFixedSize(width, height);
}

void FrmTTTFreqTab::doubleClicked(int row, int column) {
    if (busy_ && busy_()) return;
    clickedRow_ = row;
    clickedColumn_ = column;
    close();
    emit editRequested(row, std::clamp(column, 1, 2));
}

void FrmTTTFreqTab::closeEvent(QCloseEvent* e) {
    open_ = false;
    timerCount_ = 0;
    timer1_.stop();
    QWidget::closeEvent(e);
}
