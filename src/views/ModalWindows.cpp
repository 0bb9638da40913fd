#include "views/ModalWindows.h"

#include <QApplication>
#include <QWidget>

void closeModalWindows() {
    // Qt keeps the stack of open modal windows; each close uncovers the next one down.
    QWidget* last = nullptr;
    while (QWidget* top = QApplication::activeModalWidget()) {
        if (top == last) break; // it refused to close
        last = top;
        top->close();
    }
}
