#pragma once

#include <QAbstractTableModel>

class FreqTableEditor;

// The frequency-table grid that the editor and the table view share: row number, "Frequency
// MHz" and "RBW" from the editor core's texts, a coupled RBW in bold in the highlight colour.
// The editor's grid has one row more for a new entry; the view shows the rows in use only.
class FreqTableGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Columns { NumberColumn = 0, FrequencyColumn = 1, RbwColumn = 2 };

    FreqTableGridModel(FreqTableEditor& editor, bool withNewEntryRow, QObject* parent = nullptr);

    // Empty until the first refill.
    // `DaStraGridFreqTable`: applies the coupling and shows the table as it now is, adding or
    // removing rows at the end (open cell editors stay).
    void refill();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The editor's commit: a frequency text or an RBW label into the table. The grid is shown
    // again at once; what the window must do next comes through entered() afterwards.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Width of a column in pixels (500, 1500, 1000 twips).
    static int columnWidth(int column);

signals:
    // After a commit, queued so that no message box opens while the cell editor commits.
    // entry is FreqTableEditor::Entry as int; row where the value now is; message to show.
    void entered(int column, int entry, int row, const QString& message);

private:
    FreqTableEditor& editor_;
    bool editable_;
    int rows_ = 0;
};
