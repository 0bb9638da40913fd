#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QLineEdit;
class XPButton;

// `MsgboxNameST`: a message, a name box and a row of buttons under the program's title. The
// result is the pressed button's index, 2 when the box was closed by its frame.
class MsgboxNameST : public QDialog {
    Q_OBJECT
public:
    MsgboxNameST(const QString& text, const QStringList& captions, const QString& name,
                 QWidget* parent = nullptr);

    // The name box's text for the results 0 and 1, empty for 2.
    QString enteredName() const;
    QLabel* LBMsgbox() const { return label_; }
    QLineEdit* TBNameST() const { return name_; }
    const QList<XPButton*>& CMBMsgboxST() const { return buttons_; }

protected:
    void reject() override;

private:
    void press(int index);

    QLabel* label_;
    QLineEdit* name_;
    QList<XPButton*> buttons_;
};
