#pragma once

#include <QWidget>

class GridCentraline;
class LB_OCX;
class XPButton;
struct AppearanceValues;

// The small window that removes one station row (`FrmInsRemCent`). It opens near the clicked
// cell and closes without change when it loses the focus.
class FrmInsRemCent : public QWidget {
    Q_OBJECT
public:
    FrmInsRemCent(GridCentraline& grid, int mouseRow, const AppearanceValues& look,
                  QWidget* parent = nullptr);

    QString text() const;
    XPButton* CMBRemove() const { return remove_; }
    XPButton* CMBExit() const { return exit_; }

public slots:
    // Removes the row's station, rebuilds the grid, opens the port cell of the row above
    // (row 1 at least), stores the panel and closes.
    void remove();

signals:
    void removed();

private:
    GridCentraline& grid_;
    int mouseRow_;
    LB_OCX* label_;
    XPButton* remove_;
    XPButton* exit_;
};
