#include "ui/artwork.h"

#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

// The pictures live in a static library, where the linker would drop their
// registration unless something calls it.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

namespace velmora {

namespace {

constexpr const char* kEar = ":/velmora/ear.svg";
constexpr const char* kEarSmall = ":/velmora/ear-16.svg";
constexpr const char* kPlay = ":/velmora/play.svg";
constexpr const char* kStop = ":/velmora/stop.svg";
constexpr const char* kTuningFork = ":/velmora/tuning-fork.svg";
constexpr const char* kPointingHand = ":/velmora/pointing-hand.svg";

QPixmap Render(const QString& path, QSize size, qreal devicePixelRatio = 1.0) {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

// Sharp at the usual screen densities without relying on an SVG icon plugin.
QIcon IconAt(const QString& path, QSize size) {
    QIcon icon;
    for (qreal ratio : {1.0, 1.5, 2.0, 3.0}) icon.addPixmap(Render(path, size, ratio));
    return icon;
}

}  // namespace

QIcon WindowIcon() {
    QIcon icon;
    // The small drawing is made for 16 pixels; the large one scales well.
    icon.addPixmap(Render(kEarSmall, {16, 16}));
    for (int side : {24, 32, 48, 64, 128, 256}) icon.addPixmap(Render(kEar, {side, side}));
    return icon;
}

QIcon PlayIcon() {
    return IconAt(kPlay, kPlayIconSize);
}

QIcon StopIcon() {
    return IconAt(kStop, kPlayIconSize);
}

QIcon TuningForkIcon() {
    return IconAt(kTuningFork, kTuningForkSize);
}

QCursor PointingHandCursor() {
    const QPixmap picture = Render(kPointingHand, {32, 32});
    QFile file(kPointingHand);
    if (!file.open(QIODevice::ReadOnly)) return QCursor(Qt::PointingHandCursor);
    const QPoint hotSpot = HotSpotOf(QString::fromUtf8(file.readAll()));
    return QCursor(picture, hotSpot.x(), hotSpot.y());
}

QPoint HotSpotOf(const QString& svgText) {
    static const QRegularExpression pattern(R"(<!--\s*hotspot:\s*(\d+)\s+(\d+)\s*-->)");
    const QRegularExpressionMatch match = pattern.match(svgText);
    if (!match.hasMatch()) return {};
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

}  // namespace velmora
