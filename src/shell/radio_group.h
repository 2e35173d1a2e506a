#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

// A framed list of radio buttons built from text items, with one selected index
// (-1 for none).
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList Items() const { return items_; }
    void ClearItems();
    void AddItem(const QString& text);
    // The button of each item shows this beside its own text, for example a device path.
    void SetItemToolTip(int index, const QString& tip);

    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    // The user clicked an item.
    void OnClick();

private:
    QStringList items_;
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
};
