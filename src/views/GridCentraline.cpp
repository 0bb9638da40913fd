#include "views/GridCentraline.h"

#include "app/Limits.h"

#include "views/widgets/BAT_OCX.h"
#include "views/widgets/PictChk.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Paints a quiet hint in the empty row, where a new station is entered.
class EmptyRowHint : public QStyledItemDelegate {
public:
    EmptyRowHint(GridCentraline* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(p, option, index);
        const int row = index.row() + 1;
        if (row <= grid_->stationRows()) {
            // A disabled station shows an empty box where its check picture would be.
            const PictChk* pict = grid_->pictChk(row - 1);
            if (index.column() == grid_->columnOf(Column::Enabled) && pict && pict->picture() == 1)
                paintEmptyBox(p, option.rect);
            return;
        }
        if (index.column() != grid_->columnOf(Column::Comment) || grid_->measurementRunning())
            return;
        p->save();
        QFont f = option.font;
        f.setItalic(true);
        p->setFont(f);
        p->setPen(QColor(150, 157, 168));
        p->drawText(option.rect.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                    QStringLiteral("New station: click Comm and choose its port"));
        p->restore();
    }

private:
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

const QColor kConflictColour(128, 0, 0); // colour 4 of the classic palette
const QColor kNumberBack(241, 243, 247);
const QColor kNumberText(110, 118, 130);
constexpr int kRowHeight = 30;
} // namespace

GridCentraline::GridCentraline(PanelModel& panel, QWidget* parent)
    : QTableWidget(parent), panel_(panel), rowColours_(kStationCount, QColor()) {
    setObjectName(QStringLiteral("GridCentraline"));
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
        "QTableWidget { background: white; gridline-color: #e1e5eb; border: none; "
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
    setItemDelegate(new EmptyRowHint(this));

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

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeRowControls(); });

    layoutColumns(GridRules::baseLayout());
}

GridCentraline::~GridCentraline() = default;

// ---- structure ----------------------------------------------------------------------

void GridCentraline::layoutColumns(const QList<Column>& columns) {
    columns_ = columns;
    setColumnCount(int(columns_.size()));
    QStringList labels;
    for (Column c : columns_)
        labels << GridRules::columnTitle(c);
    setHorizontalHeaderLabels(labels);
    for (int c = 0; c < columns_.size(); ++c)
        setColumnWidth(c, GridRules::twipsToPixels(GridRules::columnWidthTwips(columns_[c])));
}

void GridCentraline::RebuildGrid() {
    // An editor left open belongs to the rows being replaced.
    open_ = Editor::None;
    cbx_->hide();
    tb_->hide();

    // Texts trimmed, the record becomes Undo's copy, checks evaluated.
    panel_.rebuild();
    layoutColumns(GridRules::baseLayout());
    stations_ = std::min(panel_.stationCount(), kStationCount);
    setRowCount(GridRules::gridRowsFor(stations_) - 1);
    for (QColor& c : rowColours_)
        c = QColor();
    fillRows();
    ensureRowControls();
    placeRowControls();
    MarkDuplicatePorts();
}

QTableWidgetItem* GridCentraline::itemAt(int row, int col) {
    if (row < 1 || row > rowCount() || col < 0 || col >= columnCount()) return nullptr;
    QTableWidgetItem* it = item(row - 1, col);
    if (!it) {
        it = new QTableWidgetItem();
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (col == 0) {
            it->setBackground(kNumberBack);
            it->setForeground(kNumberText);
            it->setTextAlignment(Qt::AlignCenter);
        } else if (columnAt(col) == Column::Comm) {
            it->setTextAlignment(Qt::AlignCenter);
        } else {
            it->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        setItem(row - 1, col, it);
    }
    return it;
}

void GridCentraline::fillRows() {
    const int commCol = columnOf(Column::Comm), serialCol = columnOf(Column::SerialNumber),
              commentCol = columnOf(Column::Comment);
    for (int r = 1; r <= rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* it = itemAt(r, c);
            it->setText(QString());
            if (c > 0) {
                it->setBackground(QBrush());
                it->setForeground(QBrush());
            }
        }
        if (r > stations_) continue;
        const StationRecord& st = panel_.panel().Stations[size_t(r - 1)];
        itemAt(r, 0)->setText(QString::number(r));
        itemAt(r, commCol)->setText(QString::number(st.Comm));
        itemAt(r, serialCol)->setText(st.serialNumberText());
        itemAt(r, commentCol)->setText(st.commentText());
    }
}

void GridCentraline::ensureRowControls() {
    const size_t want = size_t(std::max(1, stations_));
    while (picts_.size() > want) {
        if (picts_.back()) {
            picts_.back()->hide();
            picts_.back()->deleteLater();
        }
        picts_.pop_back();
    }
    while (gauges_.size() > want) {
        if (gauges_.back()) {
            gauges_.back()->hide();
            gauges_.back()->deleteLater();
        }
        gauges_.pop_back();
    }
    while (picts_.size() < want) {
        auto* p = new PictChk(int(picts_.size()), viewport());
        connect(p, &PictChk::pressed, this, &GridCentraline::pressPictChk);
        picts_.emplace_back(p);
    }
    while (gauges_.size() < want) {
        auto* g = new BAT_OCX(viewport());
        g->setObjectName(QStringLiteral("BAT_OCX1_%1").arg(gauges_.size()));
        g->hide();
        gauges_.emplace_back(g);
    }
    for (size_t i = 0; i < picts_.size(); ++i) {
        const bool on = int(i) < stations_ && stationEnabled(int(i));
        picts_[i]->setPicture(on ? 2 : 1);
        picts_[i]->setBackColor(neutral_);
        gauges_[i]->setBackColor(neutral_);
        gauges_[i]->setProperty("shown", false);
        gauges_[i]->hide();
    }
}

QRect GridCentraline::cellRect(int row, int col) const {
    if (row < 1 || row > rowCount() || col < 0 || col >= columnCount()) return QRect();
    return visualRect(model()->index(row - 1, col));
}

void GridCentraline::placeRowControls() {
    const int enCol = columnOf(Column::Enabled), batCol = columnOf(Column::Battery);
    for (size_t i = 0; i < picts_.size(); ++i) {
        const int row = int(i) + 1;
        PictChk* p = picts_[i];
        if (!p) continue;
        const bool show = isStationRow(row) && stationEnabled(int(i));
        if (show) {
            p->setGeometry(cellRect(row, enCol).adjusted(0, 0, -1, -1));
            p->setPicture(2);
            p->show();
            p->raise();
        } else {
            p->setPicture(1);
            p->hide();
        }
    }
    for (size_t i = 0; i < gauges_.size(); ++i) {
        BAT_OCX* g = gauges_[i];
        if (!g) continue;
        const int row = int(i) + 1;
        if (batCol >= 0 && isStationRow(row) && g->property("shown").toBool()) {
            g->setGeometry(cellRect(row, batCol).adjusted(0, 0, -1, -1));
            g->show();
            g->raise();
        } else {
            g->hide();
        }
    }
    if (open_ == Editor::Comm)
        placeEditor(cbx_, EditRow, EditCol);
    else if (open_ == Editor::Comment)
        placeEditor(tb_, EditRow, EditCol);
}

void GridCentraline::placeEditor(QWidget* editor, int row, int col) {
    editor->setGeometry(cellRect(row, col));
    editor->raise();
    editor->show();
}

void GridCentraline::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    placeRowControls();
}

void GridCentraline::resizeEvent(QResizeEvent* e) {
    QTableWidget::resizeEvent(e);
    placeRowControls();
}

void GridCentraline::insertRunColumns(const QList<Column>& runColumns) {
    const QList<Column> want = GridRules::layoutWith(runColumns);
    // Run columns that are no longer wanted go first, or the ones kept would be laid out
    // twice ("Enabled" among them).
    dropRunColumns(want);
    for (int pos = 0; pos < want.size(); ++pos) {
        if (pos < columns_.size() && columns_[pos] == want[pos]) continue;
        insertColumn(pos);
        columns_.insert(pos, want[pos]);
        setHorizontalHeaderItem(pos, new QTableWidgetItem(GridRules::columnTitle(want[pos])));
        setColumnWidth(pos, GridRules::twipsToPixels(GridRules::columnWidthTwips(want[pos])));
        for (int r = 1; r <= rowCount(); ++r) {
            QTableWidgetItem* it = itemAt(r, pos);
            it->setTextAlignment(Qt::AlignCenter);
            const QColor back = rowColour(r - 1);
            if (back != neutral_) it->setBackground(back);
        }
    }
    placeRowControls();
}

void GridCentraline::dropRunColumns(const QList<Column>& keep) {
    for (int c = columnCount() - 1; c >= 0; --c) {
        if (isRunColumn(columns_[c]) && !keep.contains(columns_[c])) {
            removeColumn(c);
            columns_.removeAt(c);
        }
    }
}

void GridCentraline::removeRunColumns() {
    dropRunColumns({});
    placeRowControls();
}

void GridCentraline::setGaugeShown(int slot, bool on) {
    if (BAT_OCX* g = battery(slot)) {
        g->setProperty("shown", on);
        placeRowControls();
    }
}

// ---- cells ----------------------------------------------------------------------------

const QTableWidgetItem* GridCentraline::cellItem(int row, int col) const {
    if (row < 1 || row > rowCount() || col < 0 || col >= columnCount()) return nullptr;
    return item(row - 1, col);
}

QString GridCentraline::cellText(int row, int col) const {
    const QTableWidgetItem* it = cellItem(row, col);
    return it ? it->text() : QString();
}

void GridCentraline::setCellText(int row, int col, const QString& text) {
    if (QTableWidgetItem* it = itemAt(row, col)) it->setText(text);
}

QColor GridCentraline::cellForeground(int row, int col) const {
    const QTableWidgetItem* it = cellItem(row, col);
    if (!it || it->foreground().style() == Qt::NoBrush) return palette().color(QPalette::Text);
    return it->foreground().color();
}

void GridCentraline::setCellForeground(int row, int col, const QColor& colour) {
    if (QTableWidgetItem* it = itemAt(row, col)) it->setForeground(colour);
}

bool GridCentraline::cellBold(int row, int col) const {
    const QTableWidgetItem* it = cellItem(row, col);
    return it && it->font().bold();
}

GridRules::Cell GridCentraline::currentGridCell() const {
    return {currentRow() + 1, currentColumn()};
}

void GridCentraline::setCurrentGridCell(int row, int col) {
    if (row >= 1 && row <= rowCount() && col >= 0 && col < columnCount())
        setCurrentCell(row - 1, col);
}

PictChk* GridCentraline::pictChk(int index) const {
    return (index >= 0 && size_t(index) < picts_.size()) ? picts_[size_t(index)].data() : nullptr;
}

BAT_OCX* GridCentraline::battery(int index) const {
    return (index >= 0 && size_t(index) < gauges_.size()) ? gauges_[size_t(index)].data() : nullptr;
}

QColor GridCentraline::rowColour(int slot) const {
    if (slot < 0 || slot >= int(rowColours_.size()) || !rowColours_[size_t(slot)].isValid())
        return neutral_;
    return rowColours_[size_t(slot)];
}

void GridCentraline::paintStationRow(int slot, const QColor& colour) {
    if (slot < 0 || slot >= kStationCount) return;
    const QColor c = colour.isValid() ? colour : neutral_;
    rowColours_[size_t(slot)] = c;
    const int row = slot + 1;
    if (row <= rowCount()) {
        for (int col = 1; col < columnCount(); ++col)
            itemAt(row, col)->setBackground(c == neutral_ ? QBrush() : QBrush(c));
    }
    if (PictChk* p = pictChk(slot)) p->setBackColor(c);
    if (BAT_OCX* g = battery(slot)) g->setBackColor(c);
}

// ---- editing ----------------------------------------------------------------------------

void GridCentraline::BeginCellEdit(int row, int col) {
    if (measurementRunning()) return;
    if (open_ != Editor::None) finishEditor(false);
    if (row < 1 || row > rowCount() || col < 0 || col >= columnCount()) return;
    EditRow = row;
    EditCol = col;
    setCurrentGridCell(row, col);
    switch (columns_[col]) {
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
    const bool on = !stationEnabled(slot);
    panel_.setEnabled(slot, on);
    if (PictChk* p = pictChk(slot)) {
        p->setPicture(on ? 2 : 1);
        if (on) {
            p->setGeometry(cellRect(row, columnOf(Column::Enabled)).adjusted(0, 0, -1, -1));
            p->show();
            p->raise();
        } else {
            p->hide();
        }
    }
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
            setCellText(EditRow, EditCol, text);
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
        if (isStationRow(EditRow)) {
            setCellText(EditRow, EditCol, text);
            panel_.setComment(slot, text);
        }
    }
    panel_.store();
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
        if (wasEmptyLastRow && stations_ < kStationCount && panel_.stationCount() > stations_)
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
    const int commCol = columnOf(Column::Comm);
    for (int r = 1; r <= stations_; ++r) {
        QTableWidgetItem* it = itemAt(r, commCol);
        it->setForeground(QColor(Qt::black));
        QFont f = it->font();
        f.setBold(false);
        it->setFont(f);
    }
    for (int slot = 0; slot < stations_; ++slot) {
        if (!slotSharesPort(panel_.panel(), slot)) continue;
        QTableWidgetItem* it = itemAt(slot + 1, commCol);
        it->setForeground(kConflictColour);
        QFont f = it->font();
        f.setBold(true);
        it->setFont(f);
    }
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
        QTableWidget::mousePressEvent(e);
        return;
    }
    if (e->button() != Qt::MiddleButton) setCurrentCell(idx.row(), idx.column());
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
    QTableWidget::keyPressEvent(e);
}

bool GridCentraline::eventFilter(QObject* watched, QEvent* e) {
    // The scroll area filters its viewport's events before the editors exist.
    if (!cbx_ || !tb_) return QTableWidget::eventFilter(watched, e);
    const bool isCbx = watched == cbx_ || watched == cbx_->lineEdit();
    const bool isTb = watched == tb_;
    if (!isCbx && !isTb) return QTableWidget::eventFilter(watched, e);
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
    return QTableWidget::eventFilter(watched, e);
}
