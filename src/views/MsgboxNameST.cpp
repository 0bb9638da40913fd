#include "views/MsgboxNameST.h"

#include "panel/FileNames.h"
#include "views/widgets/StyledControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

MsgboxNameST::MsgboxNameST(const QString& text, const QStringList& captions, const QString& name,
                           QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("MsgboxNameST"));
    setWindowTitle(QStringLiteral("Halvex"));
    setResult(2);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(16, 16, 16, 12);
    v->setSpacing(12);
    label_ = new QLabel(text, this);
    label_->setObjectName(QStringLiteral("LBMsgbox"));
    label_->setVisible(!text.isEmpty());
    label_->setAlignment(Qt::AlignCenter);
    QFont bold = label_->font();
    bold.setBold(true);
    label_->setFont(bold);
    v->addWidget(label_);
    name_ = new QLineEdit(name, this);
    name_->setObjectName(QStringLiteral("TBNameST"));
    name_->setVisible(!name.isEmpty());
    v->addWidget(name_);
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) {
        int caret = name_->cursorPosition();
        const QString clean = FileNames::removeIllegalCharacters(t, &caret);
        if (clean == t) return;
        name_->setText(clean);
        name_->setCursorPosition(caret);
    });
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    for (int i = 0; i < captions.size(); ++i) {
        auto* b = new XPButton(captions[i], this);
        b->setObjectName(QStringLiteral("CMBMsgboxST%1").arg(i));
        b->setMinimumWidth(90);
        b->setVisible(!captions[i].isEmpty());
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons_.append(b);
        row->addWidget(b);
    }
    row->addStretch(1);
    v->addLayout(row);
    if (!buttons_.isEmpty()) buttons_.first()->setDefault(true);
    connect(name_, &QLineEdit::returnPressed, this, [this] {
        if (!buttons_.isEmpty()) press(0);
    });
}

void MsgboxNameST::press(int index) {
    done(index);
}

void MsgboxNameST::reject() {
    done(2);
}

QString MsgboxNameST::enteredName() const {
    return result() == 0 || result() == 1 ? name_->text() : QString();
}
