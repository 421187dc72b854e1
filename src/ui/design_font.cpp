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

bool CaptionsFit(const QFont& font) {
    for (const ControlDesign& design : WindowDesign()) {
        if (design.caption.empty() || (design.kind == ControlKind::Label && design.autoSize)) {
            continue;
        }
        QFont own = font;
        own.setBold(design.bold);
        if (design.fontPoints > 0) own.setPointSizeF(design.fontPoints);
        const QString caption =
            QString::fromUtf8(design.caption.data(), static_cast<qsizetype>(design.caption.size()));
        const int needed =
            QFontMetrics(own).horizontalAdvance(caption) + RoomBesideCaption(design.kind);
        if (needed > ToPixels(design.place.width)) return false;
    }
    return true;
}

QFont DesignFont(const QFont& systemFont) {
    QFont font = systemFont;
    for (qreal points : {8.0, 7.5, 7.0}) {
        for (int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
            font.setPointSizeF(points);
            font.setStretch(stretch);
            if (CaptionsFit(font)) return font;
        }
    }
    return font;  // the smallest tried; some caption is cut short
}

}  // namespace velmora
