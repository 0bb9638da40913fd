#include "views/FrmKeyboard.h"

#include "views/widgets/StyledControls.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QScreen>

FrmKeyboard::FrmKeyboard(int mode, QWidget* parent) : QDialog(parent), keypad_(mode) {
    setObjectName(QStringLiteral("FrmKeyboard"));
    setWindowTitle(QStringLiteral("Keypad"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto button = [this](const QString& caption, const QString& name, KeypadAction a) {
        auto* b = new XPButton(caption, this);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setMinimumSize(52, 40);
        connect(b, &QPushButton::clicked, this, [this, a] { act(a); });
        return b;
    };

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setSpacing(6);
    display_ = new LB_OCX(keypad_.display(), this);
    display_->setObjectName(QStringLiteral("LBValNum"));
    display_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont big = display_->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    display_->setFont(big);
    display_->setMinimumHeight(40);
    grid->addWidget(display_, 0, 0, 1, 4);

    for (int d = 0; d <= 9; ++d)
        digits_[d] =
            button(QString::number(d), QStringLiteral("CMBNumeri%1").arg(d), {KeypadKey::Digit, d});
    for (int d = 1; d <= 9; ++d)
        grid->addWidget(digits_[d], 1 + (9 - d) / 3, (d - 1) % 3);
    grid->addWidget(digits_[0], 4, 0);
    point_ = button(QStringLiteral("."), QStringLiteral("CMBVirgola"), {KeypadKey::Point});
    sign_ = button(QStringLiteral("+/-"), QStringLiteral("CMBPiuMeno"), {KeypadKey::Sign});
    grid->addWidget(point_, 4, 1);
    grid->addWidget(sign_, 4, 2);
    back_ = button(QStringLiteral("Back"), QStringLiteral("CMBBack"), {KeypadKey::Back});
    clear_ = button(QStringLiteral("Canc"), QStringLiteral("CMBCanc"), {KeypadKey::Clear});
    exit_ = button(QStringLiteral("Exit"), QStringLiteral("CMBExit"), {KeypadKey::Cancel});
    grid->addWidget(back_, 1, 3);
    grid->addWidget(clear_, 2, 3);
    grid->addWidget(exit_, 3, 3);
    units_[0] = button(Keypad::unitCaption(keypad_.KeypadMode(), 0), QStringLiteral("CMBUnitaM0"),
                       {KeypadKey::Unit0});
    units_[1] = button(Keypad::unitCaption(keypad_.KeypadMode(), 1), QStringLiteral("CMBUnitaM1"),
                       {KeypadKey::Unit1});
    const bool two = !Keypad::unitCaption(keypad_.KeypadMode(), 1).isEmpty();
    units_[1]->setVisible(two);
    if (two) {
        grid->addWidget(units_[0], 4, 3);
        grid->addWidget(units_[1], 5, 3);
    } else {
        grid->addWidget(units_[0], 4, 3, 2, 1);
    }
    // The unit that Enter stands for.
    units_[keypad_.KeypadMode() == 0 ? 1 : 0]->setAccent(QColor(49, 106, 197));
    setFixedSize(sizeHint());
}

void FrmKeyboard::act(const KeypadAction& a) {
    keypad_.apply(a);
    display_->setCaption(keypad_.display());
    if (keypad_.finished()) done(keypad_.cancelFlag() ? Rejected : Accepted);
}

void FrmKeyboard::reject() {
    keypad_.cancel();
    QDialog::reject();
}

void FrmKeyboard::keyPressEvent(QKeyEvent* e) {
    const KeypadAction a =
        keypadKeyAction(keypad_.KeypadMode(), e->key(), e->modifiers() & Qt::KeypadModifier);
    if (a.key == KeypadKey::None) {
        e->ignore();
        return;
    }
    e->accept();
    act(a);
}

void FrmKeyboard::placeBeside(const QWidget* box) {
    adjustSize();
    if (!box) return;
    const QRect r(box->mapToGlobal(QPoint(0, 0)), box->size());
    const QScreen* screen = box->screen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    const QSize s = frameGeometry().size().expandedTo(size());
    int x = r.right() + 8;
    if (x + s.width() > avail.right()) x = r.left() - 8 - s.width();
    int y = r.top();
    x = std::clamp(x, avail.left(), std::max(avail.left(), avail.right() - s.width()));
    y = std::clamp(y, avail.top(), std::max(avail.top(), avail.bottom() - s.height()));
    move(x, y);
}
