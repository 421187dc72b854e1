#pragma once

#include <QLabel>

namespace velmora {

// The line under the window that says which sound output is in use, or what
// is wrong with it. A message too long for the window ends in "…"; the whole
// text stays in the tooltip and in what a screen reader announces.
class StatusLine final : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setMessage(const QString& message);
    const QString& message() const { return message_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit();

    QString message_;
};

}  // namespace velmora
