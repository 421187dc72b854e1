#pragma once

#include <QFrame>

class QListWidget;
class QToolButton;

namespace velmora {

// A list box only one item high. There is no room for a scroll bar, so two
// small arrows beside the item select the previous or next item; the arrow
// keys and the wheel work on the list as usual.
class OneRowList final : public QFrame {
    Q_OBJECT

public:
    explicit OneRowList(QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // Selects the item `offset` rows away, staying within the list.
    void step(int offset);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QListWidget* list_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace velmora
