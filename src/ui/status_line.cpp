#include "ui/status_line.h"

#include <QFontMetrics>

namespace velmora {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAccessibleName(tr("sound output"));
}

void StatusLine::setMessage(const QString& message) {
    message_ = message;
    setToolTip(message);
    setAccessibleDescription(message);
    fit();
}

// The message never widens the window: the window's width is the design's.
QSize StatusLine::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QSize StatusLine::sizeHint() const {
    return {0, QLabel::sizeHint().height()};
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void StatusLine::fit() {
    const int room = contentsRect().width();
    setText(fontMetrics().elidedText(message_, Qt::ElideRight, room));
}

}  // namespace velmora
