#include "shell/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
    layout_->addStretch();
    connect(buttons_, &QButtonGroup::idClicked, this, [this] { emit OnClick(); });
}

void RadioGroup::ClearItems() {
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    items_.clear();
}

void RadioGroup::AddItem(const QString& text) {
    auto* button = new QRadioButton(text, this);
    buttons_->addButton(button, int(items_.size()));
    layout_->insertWidget(int(items_.size()), button);
    items_.append(text);
}

void RadioGroup::SetItemToolTip(int index, const QString& tip) {
    if (QAbstractButton* button = buttons_->button(index))
        button->setToolTip(tip);
}

int RadioGroup::ItemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: take the check off whichever button has it.
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons())
        button->setChecked(false);
    buttons_->setExclusive(true);
}
