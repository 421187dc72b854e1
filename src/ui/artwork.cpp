// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/artwork.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <cmath>

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
    RegisterProgramResources();
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

// Drawn from the SVG at whatever size and screen density it is shown, so it
// stays sharp at every zoom, without relying on an SVG icon plugin.
class SvgIconEngine final : public QIconEngine {
public:
    explicit SvgIconEngine(QString path) : path_(std::move(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, ratio));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        if (size.isEmpty() || !std::isfinite(scale) || scale <= 0) return {};
        const QString key = QStringLiteral("velmora:%1:%2x%3:%4:%5")
                                .arg(path_)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(scale)
                                .arg(int(mode));
        QPixmap pixmap;
        if (QPixmapCache::find(key, &pixmap)) return pixmap;
        pixmap = Render(path_, size, scale);
        if (mode != QIcon::Normal && mode != QIcon::Active) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            pixmap.setDevicePixelRatio(scale);
        }
        QPixmapCache::insert(key, pixmap);
        return pixmap;
    }
    QIconEngine* clone() const override { return new SvgIconEngine(path_); }
    QString key() const override { return QStringLiteral("velmora-svg"); }

private:
    QString path_;
};

QIcon IconAt(const QString& path) {
    return QIcon(new SvgIconEngine(path));
}

}  // namespace

void RegisterProgramResources() {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
}

QIcon WindowIcon() {
    QIcon icon;
    // The small drawing is made for 16 pixels; the large one scales well.
    icon.addPixmap(Render(kEarSmall, {16, 16}));
    for (int side : {24, 32, 48, 64, 128, 256}) icon.addPixmap(Render(kEar, {side, side}));
    return icon;
}

QIcon PlayIcon() {
    return IconAt(kPlay);
}

QIcon StopIcon() {
    return IconAt(kStop);
}

QIcon TuningForkIcon() {
    return IconAt(kTuningFork);
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
