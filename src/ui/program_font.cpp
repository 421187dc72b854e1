// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/program_font.h"

#include <QApplication>
#include <QFontInfo>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "ui/zoom.h"

namespace velmora {

namespace {

constexpr qreal kDesignPoints = 8.0;

// The kinds of widget a desktop may give a font of their own that stand
// outside the trainer's drawing. Kinds inside it (buttons, labels) are left
// alone: a font given to a kind would win over the drawing's own.
constexpr std::array kFontClasses = {"QMenuBar", "QMenu", "QTipLabel", "QStatusBar", "QMessageBox"};

struct DesktopFonts {
    QFont normal;
    std::vector<std::pair<const char*, QFont>> ofClass;
};

const DesktopFonts& Desktop() {
    static const DesktopFonts fonts = [] {
        DesktopFonts taken{QApplication::font(), {}};
        for (const char* name : kFontClasses)
            taken.ofClass.emplace_back(name, QApplication::font(name));
        return taken;
    }();
    return fonts;
}

QFont Grown(QFont font, qreal factor) {
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * factor);
    } else if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, qRound(font.pixelSize() * factor)));
    }
    return font;
}

// A desktop font given in pixels has a size in points too, on this screen.
qreal DesktopPoints() {
    const QFont& normal = Desktop().normal;
    return normal.pointSizeF() > 0 ? normal.pointSizeF() : QFontInfo(normal).pointSizeF();
}

qreal FactorAt(int zoomPercent) {
    const qreal points = DesktopPoints();
    return points > 0 ? ProgramFont::PointsAt(zoomPercent) / points : 1.0;
}

void SetFonts(const DesktopFonts& desktop, qreal factor) {
    // The application's font first: setting it forgets the kinds' own.
    QApplication::setFont(Grown(desktop.normal, factor));
    for (const auto& [name, font] : desktop.ofClass) {
        QApplication::setFont(Grown(font, factor), name);
    }
}

}  // namespace

const QFont& ProgramFont::DesktopFont() {
    return Desktop().normal;
}

qreal ProgramFont::PointsAt(int zoomPercent) {
    const qreal desktop = DesktopPoints();
    const qreal zoomed = kDesignPoints * std::clamp(zoomPercent, kSmallestZoom, kLargestZoom) / 100;
    return desktop > 0 ? std::max(desktop, zoomed) : zoomed;
}

QFont ProgramFont::At(int zoomPercent, const char* kind) {
    if (kind) {
        for (const auto& [name, font] : Desktop().ofClass) {
            if (qstrcmp(name, kind) == 0) return Grown(font, FactorAt(zoomPercent));
        }
    }
    return Grown(Desktop().normal, FactorAt(zoomPercent));
}

void ProgramFont::Apply(int zoomPercent) {
    SetFonts(Desktop(), FactorAt(zoomPercent));
}

void ProgramFont::Restore() {
    SetFonts(Desktop(), 1.0);
}

}  // namespace velmora
