#include "ui/one_row_list.h"

#include <QListWidget>
#include <QToolButton>

#include <algorithm>

namespace velmora {

namespace {

constexpr int kArrowWidth = 13;

}  // namespace

OneRowList::OneRowList(QWidget* parent)
    : QFrame(parent),
      list_(new QListWidget(this)),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setUniformItemSizes(true);
    setFocusProxy(list_);

    for (QToolButton* arrow : {up_, down_}) {
        // The list keeps the focus; its own arrow keys do what these do.
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        arrow->setAccessibleDescription(QString());
    }
    up_->setArrowType(Qt::UpArrow);
    up_->setAccessibleName("previous item");
    down_->setArrowType(Qt::DownArrow);
    down_->setAccessibleName("next item");
    connect(up_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(1); });
}

void OneRowList::step(int offset) {
    if (list_->count() == 0) return;
    const int current = list_->currentRow();
    list_->setCurrentRow(current < 0 ? 0 : std::clamp(current + offset, 0, list_->count() - 1));
}

void OneRowList::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const QRect inside = contentsRect();
    const int half = inside.height() / 2;
    list_->setGeometry(inside.adjusted(0, 0, -kArrowWidth, 0));
    up_->setGeometry(inside.right() - kArrowWidth + 1, inside.top(), kArrowWidth, half);
    down_->setGeometry(inside.right() - kArrowWidth + 1, inside.top() + half, kArrowWidth,
                       inside.height() - half);
}

}  // namespace velmora
