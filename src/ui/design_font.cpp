// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/design_font.h"

#include <QFontMetrics>

#include "model/window_design.h"
#include "ui/twips.h"

namespace velmora {

namespace {

// Room a control needs beside its caption's text.
int RoomBesideCaption(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
            return 14;  // the title's inset and the gap around it
        case ControlKind::CheckBox:
            return 24;  // the box and the space after it
        case ControlKind::Button:
            return 8;
        case ControlKind::Label:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

bool CaptionsFit(const QFont& font, int zoomPercent) {
    for (const ControlDesign& design : WindowDesign()) {
        if (design.caption.empty() || (design.kind == ControlKind::Label && design.autoSize)) {
            continue;
        }
        QFont own = font;
        own.setBold(design.bold);
        if (design.fontPoints > 0) own.setPointSizeF(design.fontPoints * zoomPercent / 100);
        const QString caption =
            QString::fromUtf8(design.caption.data(), static_cast<qsizetype>(design.caption.size()));
        // The room beside grows with the zoom, as the style's parts do.
        const int needed = QFontMetrics(own).horizontalAdvance(caption) +
                           RoomBesideCaption(design.kind) * zoomPercent / 100;
        if (needed > ToPixels(design.place.width, zoomPercent)) return false;
    }
    return true;
}

QFont DesignFont(const QFont& systemFont, int zoomPercent) {
    QFont font = systemFont;
    for (qreal points : {8.0, 7.5, 7.0}) {
        for (int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
            font.setPointSizeF(points * zoomPercent / 100);
            font.setStretch(stretch);
            if (CaptionsFit(font, zoomPercent)) return font;
        }
    }
    return font;  // the smallest tried; some caption is cut short
}

}  // namespace velmora
