#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

// The styled check box, option button and text box. They take the button style of the
// appearance settings: 0 "XP" draws rounded, light indicators and a thin blue-grey box
// border; 1 "Classic" the toolkit's own look.
class XPCheck : public QCheckBox {
    Q_OBJECT
public:
    explicit XPCheck(const QString& text = QString(), QWidget* parent = nullptr);
    int controlStyle() const { return style_; }
    void setControlStyle(int style);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int style_ = -1;
};

class XPOption : public QRadioButton {
    Q_OBJECT
public:
    explicit XPOption(const QString& text = QString(), QWidget* parent = nullptr);
    int controlStyle() const { return style_; }
    void setControlStyle(int style);

private:
    int style_ = -1;
};

class XPText : public QLineEdit {
    Q_OBJECT
public:
    explicit XPText(QWidget* parent = nullptr);
    int controlStyle() const { return style_; }
    void setControlStyle(int style);

private:
    int style_ = -1;
};
