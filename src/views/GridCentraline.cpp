#include "views/GridCentraline.h"

#include "app/Limits.h"
#include "views/StationGridModel.h"
#include "views/widgets/BAT_OCX.h"
#include "views/widgets/PictChk.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Paints what the grid shows beyond text: the check picture of each station, the battery
// gauge of a run, and a quiet hint in the empty row where a new station is entered.
class StationGridDelegate : public QStyledItemDelegate {
public:
    StationGridDelegate(GridCentraline* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(p, option, index);
        const Column c = grid_->columnAt(index.column());
        const int slot = index.row();
        // The pictures lie over the whole cell in the row's colour, as the controls did.
        const QRectF area(option.rect.adjusted(0, 0, -1, -1));
        if (slot < grid_->stationRows()) {
            if (c == Column::Enabled) {
                if (index.data(StationGridModel::CheckedRole).toBool()) {
                    p->fillRect(area, grid_->rowColour(slot));
                    PictChk::paintPicture(*p, area, 2);
                } else {
                    paintEmptyBox(p, option.rect);
                }
            } else if (c == Column::Battery) {
                const QVariant v = index.data(StationGridModel::GaugeRole);
                if (!v.isValid()) return;
                const BatteryDisplay d = v.value<BatteryDisplay>();
                p->fillRect(area, grid_->rowColour(slot));
                BAT_OCX::paintGauge(*p, area, option.font,
                                    std::clamp(d.notches, 1, int(BAT_OCX::kNotches)),
                                    colourOf(d.colorBegin), colourOf(d.colorEnd), d.caption);
            }
            return;
        }
        if (c != Column::Comment || grid_->measurementRunning()) return;
        p->save();
        QFont f = option.font;
        f.setItalic(true);
        p->setFont(f);
        p->setPen(QColor(150, 157, 168));
        p->drawText(option.rect.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                    QStringLiteral("New station: click Comm and choose its port"));
        p->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // Time and date must fit the column's fixed width.
        if (grid_->columnAt(index.column()) == Column::LastLinkTime) {
            option->font.setPixelSize(11);
            option->font.setFamilies({QStringLiteral("DejaVu Sans Condensed"),
                                      QStringLiteral("Arial Narrow"), option->font.family()});
        }
    }

private:
    static QColor colourOf(quint32 v) {
        return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
    }

    // A disabled station shows an empty box where its check picture would be.
    static void paintEmptyBox(QPainter* p, const QRect& cell) {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const double s = std::min(16, std::min(cell.width(), cell.height()) - 4);
        const QRectF box(cell.center().x() - s / 2 + 0.5, cell.center().y() - s / 2 + 0.5, s, s);
        p->setPen(QPen(QColor(160, 166, 176), 1.2));
        p->setBrush(Qt::white);
        p->drawRoundedRect(box, 3, 3);
        p->restore();
    }

    GridCentraline* grid_;
};

constexpr int kRowHeight = 30;
} // namespace

GridCentraline::GridCentraline(PanelModel& panel, QWidget* parent)
    : QTableView(parent), panel_(panel), model_(new StationGridModel(panel, this)) {
    setObjectName(QStringLiteral("GridCentraline"));
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(12);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setStyleSheet(QStringLiteral(
        "QTableView { background: white; gridline-color: #e1e5eb; border: none; "
        "selection-background-color: #d6e6fb; selection-color: #101418; }"
        "QHeaderView::section { background: #eef1f6; color: #3b4656; border: none; "
        "border-right: 1px solid #dde2ea; border-bottom: 1px solid #cfd6e0; padding: 4px 2px; "
        "}"));
    // Column widths are fixed in twips; a compact font keeps times and titles whole.
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    horizontalHeader()->setFont(f);
    neutral_ = palette().color(QPalette::Base);
    setItemDelegate(new StationGridDelegate(this));

    cbx_ = new QComboBox(viewport());
    cbx_->setObjectName(QStringLiteral("CBXCella"));
    cbx_->setEditable(true);
    cbx_->setInsertPolicy(QComboBox::NoInsert);
    cbx_->setMaxVisibleItems(12);
    for (int p = 1; p <= 99; ++p)
        cbx_->addItem(QString::number(p));
    cbx_->hide();
    cbx_->installEventFilter(this);
    cbx_->lineEdit()->installEventFilter(this);
    // Only the list's entries can be committed: anything else typed falls back to "1".
    connect(cbx_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!GridRules::isPortEntry(t)) {
            cbx_->setEditText(QStringLiteral("1"));
            cbx_->lineEdit()->selectAll();
        }
    });

    tb_ = new QLineEdit(viewport());
    tb_->setObjectName(QStringLiteral("TBCella"));
    tb_->setMaxLength(200);
    tb_->hide();
    tb_->installEventFilter(this);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeEditors(); });
    setColumnWidths();
}

GridCentraline::~GridCentraline() = default;

// ---- structure ----------------------------------------------------------------------

void GridCentraline::setColumnWidths() {
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, GridRules::twipsToPixels(GridRules::columnWidthTwips(columnAt(c))));
}

void GridCentraline::RebuildGrid() {
    // An editor left open belongs to the rows being replaced.
    open_ = Editor::None;
    cbx_->hide();
    tb_->hide();

    // Texts trimmed, the record becomes Undo's copy, checks evaluated.
    panel_.rebuild();
    model_->rebuild();
    setColumnWidths();
    MarkDuplicatePorts();
}

int GridCentraline::rowCount() const {
    return model_->rowCount();
}

int GridCentraline::columnCount() const {
    return model_->columnCount();
}

int GridCentraline::stationRows() const {
    return model_->stationRows();
}

int GridCentraline::columnOf(Column c) const {
    return int(model_->columns().indexOf(c));
}

Column GridCentraline::columnAt(int col) const {
    return model_->columns().value(col, Column::Number);
}

QList<Column> GridCentraline::columns() const {
    return model_->columns();
}

void GridCentraline::placeEditors() {
    if (open_ == Editor::Comm)
        placeEditor(cbx_, EditRow, EditCol);
    else if (open_ == Editor::Comment)
        placeEditor(tb_, EditRow, EditCol);
}

void GridCentraline::placeEditor(QWidget* editor, int row, int col) {
    editor->setGeometry(validCell(row, col) ? visualRect(model_->index(row - 1, col)) : QRect());
    editor->raise();
    editor->show();
}

void GridCentraline::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    placeEditors();
}

void GridCentraline::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    placeEditors();
}

void GridCentraline::insertRunColumns(const QList<Column>& runColumns) {
    const QList<Column> before = columns();
    model_->setRunColumns(runColumns);
    for (int c = 0; c < columnCount(); ++c)
        if (!before.contains(columnAt(c)))
            setColumnWidth(c, GridRules::twipsToPixels(GridRules::columnWidthTwips(columnAt(c))));
    placeEditors();
}

void GridCentraline::removeRunColumns() {
    model_->setRunColumns({});
    placeEditors();
}

// ---- cells ----------------------------------------------------------------------------

bool GridCentraline::validCell(int row, int col) const {
    return row >= 1 && row <= rowCount() && col >= 0 && col < columnCount();
}

QVariant GridCentraline::cellData(int row, int col, int role) const {
    return validCell(row, col) ? model_->index(row - 1, col).data(role) : QVariant();
}

QString GridCentraline::cellText(int row, int col) const {
    return cellData(row, col, Qt::DisplayRole).toString();
}

void GridCentraline::setCellText(int row, int col, const QString& text) {
    if (validCell(row, col)) model_->setRunText(row - 1, columnAt(col), text);
}

QColor GridCentraline::cellForeground(int row, int col) const {
    const QVariant v = cellData(row, col, Qt::ForegroundRole);
    return v.isValid() ? v.value<QColor>() : palette().color(QPalette::Text);
}

QColor GridCentraline::cellBackground(int row, int col) const {
    const QVariant v = cellData(row, col, Qt::BackgroundRole);
    return v.isValid() ? v.value<QColor>() : QColor();
}

bool GridCentraline::cellBold(int row, int col) const {
    const QVariant v = cellData(row, col, Qt::FontRole);
    return v.isValid() && v.value<QFont>().bold();
}

GridRules::Cell GridCentraline::currentGridCell() const {
    return {currentIndex().row() + 1, currentIndex().column()};
}

void GridCentraline::setCurrentGridCell(int row, int col) {
    if (validCell(row, col)) setCurrentIndex(model_->index(row - 1, col));
}

QColor GridCentraline::rowColour(int slot) const {
    const QColor c = model_->rowColour(slot);
    return c.isValid() ? c : neutral_;
}

void GridCentraline::paintStationRow(int slot, const QColor& colour) {
    // The neutral colour is no colour of the row's own.
    model_->setRowColour(slot, colour.isValid() && colour != neutral_ ? colour : QColor());
}

bool GridCentraline::checkShown(int slot) const {
    return slot >= 0 && slot < stationRows() && stationEnabled(slot);
}

const BatteryDisplay* GridCentraline::battery(int slot) const {
    return columnOf(Column::Battery) >= 0 && slot < stationRows() ? model_->gauge(slot) : nullptr;
}

void GridCentraline::showBattery(int slot, const BatteryDisplay& display) {
    model_->setGauge(slot, display);
}

// ---- editing ----------------------------------------------------------------------------

void GridCentraline::BeginCellEdit(int row, int col) {
    if (measurementRunning()) return;
    if (open_ != Editor::None) finishEditor(false);
    if (!validCell(row, col)) return;
    EditRow = row;
    EditCol = col;
    setCurrentGridCell(row, col);
    switch (columnAt(col)) {
    case Column::Comm:
        placeEditor(cbx_, row, col);
        cbx_->setEditText(cellText(row, col));
        cbx_->lineEdit()->selectAll();
        open_ = Editor::Comm;
        cbx_->setFocus(Qt::OtherFocusReason);
        break;
    case Column::Comment:
        placeEditor(tb_, row, col);
        tb_->setText(cellText(row, col));
        tb_->selectAll();
        open_ = Editor::Comment;
        tb_->setFocus(Qt::OtherFocusReason);
        break;
    case Column::Enabled:
        toggleEnabled(row);
        break;
    default: // the serial number is read from the probe, never typed
        setFocus(Qt::OtherFocusReason);
        break;
    }
}

void GridCentraline::toggleEnabled(int row) {
    setFocus(Qt::OtherFocusReason);
    // The empty row has no station to switch on.
    if (!isStationRow(row)) return;
    const int slot = row - 1;
    panel_.setEnabled(slot, !stationEnabled(slot));
    MarkDuplicatePorts();
    panel_.store();
    emit panelStored();
}

void GridCentraline::CommitCellEdit() {
    if (open_ == Editor::None) return;
    const Editor which = open_;
    open_ = Editor::None; // hiding the editor moves the focus; that must not commit again
    const GridRules::Cell saved = currentGridCell();
    const int slot = EditRow - 1;
    if (which == Editor::Comm) {
        const QString text = cbx_->currentText().trimmed();
        cbx_->hide();
        // Leaving the empty row without choosing a port adds no station.
        if (GridRules::isPortEntry(text) && slot >= 0 && slot < kStationCount) {
            if (isStationRow(EditRow))
                panel_.setComm(slot, text.toInt());
            else
                panel_.addStation(text.toInt());
        }
    } else {
        // The panel file holds single-byte text; the cell shows the comment as it is stored,
        // so a character the file cannot hold does not live on only in the grid.
        const QString text = QString::fromLatin1(tb_->text().left(200).toLatin1());
        tb_->hide();
        // The empty row has no station to hold a comment yet.
        if (isStationRow(EditRow)) panel_.setComment(slot, text);
    }
    panel_.store();
    model_->panelChanged();
    setCurrentGridCell(saved.row, saved.col);
    emit panelStored();
}

void GridCentraline::cancelCellEdit() {
    if (open_ == Editor::None) return;
    open_ = Editor::None;
    cbx_->hide();
    tb_->hide();
    setFocus(Qt::OtherFocusReason);
}

void GridCentraline::finishEditor(bool viaEnter) {
    if (open_ == Editor::None || finishing_) return;
    // An editor still open when a run began (started from the keyboard) must not change the
    // panel under the run, nor rebuild the grid over its columns.
    if (measurementRunning()) {
        cancelCellEdit();
        return;
    }
    finishing_ = true;
    const Editor which = open_;
    const int row = EditRow, col = EditCol;
    const bool wasEmptyLastRow = row == rowCount() && !isStationRow(row);
    CommitCellEdit();
    if (which == Editor::Comm) {
        if (wasEmptyLastRow && stationRows() < kStationCount &&
            panel_.stationCount() > stationRows())
            RebuildGrid();
        MarkDuplicatePorts();
    }
    finishing_ = false;
    if (viaEnter) {
        setCurrentGridCell(row, col);
        MoveToNextCell(false);
        const GridRules::Cell c = currentGridCell();
        BeginCellEdit(c.row, c.col);
    }
}

void GridCentraline::MoveToNextCell(bool backward) {
    GridRules::Cell c = currentGridCell();
    if (c.row < 1) c = {1, 0};
    const GridRules::Cell n = GridRules::nextCell(c, rowCount(), lastColumn(), backward);
    setCurrentGridCell(n.row, n.col);
    setFocus(Qt::OtherFocusReason);
}

void GridCentraline::MarkDuplicatePorts() {
    model_->panelChanged();
    panel_.evaluateChecks();
}

bool GridCentraline::stationEnabled(int slot) const {
    return slot >= 0 && slot < kStationCount && panel_.panel().Stations[size_t(slot)].isEnabled();
}

void GridCentraline::RemoveStation(int slot) {
    if (slot < 0 || slot >= kStationCount) return;
    panel_.removeStation(slot);
}

void GridCentraline::storePanel() {
    panel_.store();
    emit panelStored();
}

// ---- mouse and keys ---------------------------------------------------------------------

void GridCentraline::pressCell(int row, int col, Qt::MouseButton button) {
    if (measurementRunning()) return;
    if (button == Qt::LeftButton) {
        BeginCellEdit(row, col);
    } else if (button == Qt::RightButton && row >= 1 && row <= rowCount() && col >= 0) {
        if (open_ != Editor::None) finishEditor(false);
        MouseRow = row;
        MouseCol = col;
        emit removeRowRequested(row);
    }
}

void GridCentraline::pressPictChk(int index, Qt::MouseButton button) {
    if (measurementRunning()) return;
    const int row = index + 1;
    if (button == Qt::LeftButton) {
        if (open_ != Editor::None) finishEditor(false);
        setCurrentGridCell(row, lastColumn());
        toggleEnabled(row);
    } else if (button == Qt::RightButton) {
        if (open_ != Editor::None) finishEditor(false);
        MouseRow = row;
        MouseCol = lastColumn();
        emit removeRowRequested(row);
    }
}

void GridCentraline::enterOnGrid() {
    if (measurementRunning()) return;
    MoveToNextCell(false);
    const GridRules::Cell c = currentGridCell();
    BeginCellEdit(c.row, c.col);
}

void GridCentraline::mousePressEvent(QMouseEvent* e) {
    if (measurementRunning()) {
        e->accept();
        return;
    }
    const QModelIndex idx = indexAt(e->position().toPoint());
    if (!idx.isValid()) {
        QTableView::mousePressEvent(e);
        return;
    }
    if (e->button() != Qt::MiddleButton) setCurrentIndex(idx);
    pressCell(idx.row() + 1, idx.column(), e->button());
    e->accept();
}

void GridCentraline::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (!measurementRunning()) enterOnGrid();
        e->accept();
        return;
    }
    if (measurementRunning()) {
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

bool GridCentraline::eventFilter(QObject* watched, QEvent* e) {
    // The scroll area filters its viewport's events before the editors exist.
    if (!cbx_ || !tb_) return QTableView::eventFilter(watched, e);
    const bool isCbx = watched == cbx_ || watched == cbx_->lineEdit();
    const bool isTb = watched == tb_;
    if (!isCbx && !isTb) return QTableView::eventFilter(watched, e);
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            finishEditor(true);
            return true;
        }
        if (k->key() == Qt::Key_Escape && open_ != Editor::None) {
            // Escape leaves the cell as it was.
            cancelCellEdit();
            return true;
        }
    } else if (e->type() == QEvent::FocusOut) {
        auto* f = static_cast<QFocusEvent*>(e);
        if (f->reason() != Qt::PopupFocusReason) {
            QWidget* now = QApplication::focusWidget();
            const bool stillInside = now && (now == cbx_ || now == tb_ || cbx_->isAncestorOf(now) ||
                                             (cbx_->view() && cbx_->view()->isAncestorOf(now)));
            if (!stillInside &&
                ((isCbx && open_ == Editor::Comm) || (isTb && open_ == Editor::Comment)))
                finishEditor(false);
        }
    }
    return QTableView::eventFilter(watched, e);
}
