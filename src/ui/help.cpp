// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/help.h"

#include <QFile>

#include "app/version.h"
#include "model/trainer_state.h"
#include "model/window_design.h"
#include "ui/artwork.h"

namespace velmora {

namespace {

QString KeyboardTable() {
    QString names;
    QString keys;
    for (int i = 0; i < kPitchClasses; ++i) {
        names += QStringLiteral("<td align=\"center\">%1</td>")
                     .arg(QString::fromUtf8(kPitchItems[i].data(),
                                            static_cast<qsizetype>(kPitchItems[i].size())));
        keys += QStringLiteral("<td align=\"center\"><b>%1</b></td>")
                    .arg(QString::fromLatin1(kShortcutKeyLetters[i]));
    }
    return QStringLiteral(
               "<table border=\"1\" cellspacing=\"0\" cellpadding=\"6\">"
               "<tr><th align=\"left\">pitch</th>%1</tr>"
               "<tr><th align=\"left\">key</th>%2</tr></table>")
        .arg(names, keys);
}

struct KnownSoundFont {
    const char* name;
    const char* licence;
};
constexpr KnownSoundFont kKnownSoundFonts[] = {
    {"FluidR3_GM", "MIT licence"},
    {"FluidR3_GS", "MIT licence"},
    {"TimGM6mb", "GNU GPL 2"},
    {"GeneralUser", "GeneralUser GS licence (free use and distribution)"},
    {"MuseScore_General", "MIT licence"},
};

}  // namespace

QString GuideHtml() {
    RegisterProgramResources();
    QFile file(QStringLiteral(":/velmora/guide.html"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll())
        .replace(QStringLiteral("<!-- keyboard table -->"), KeyboardTable());
}

QString SoundFontLicence(const QString& sound) {
    for (const KnownSoundFont& known : kKnownSoundFonts) {
        if (sound.contains(QLatin1String(known.name), Qt::CaseInsensitive)) {
            return QString::fromLatin1(known.licence);
        }
    }
    return {};
}

QString AboutHtml(const QString& sound) {
    QString text = QStringLiteral(
                       "<h3>Velmora %1</h3><p>Ear training: name the notes and "
                       "chords you hear.</p><p>Velmora is free software under the "
                       "<a href=\"https://www.gnu.org/licenses/gpl-3.0.html\">GNU General "
                       "Public License, version 3 or later</a>.</p>")
                       .arg(QString::fromLatin1(kVersion).toHtmlEscaped());
    const QString plays = sound.trimmed().isEmpty() ? QObject::tr("not known yet") : sound;
    text += QStringLiteral("<p><b>Sound:</b> %1").arg(plays.toHtmlEscaped());
    const QString licence = SoundFontLicence(sound);
    if (!licence.isEmpty()) {
        text += QStringLiteral("<br>SoundFont licence: %1").arg(licence.toHtmlEscaped());
    }
    text += QStringLiteral(
                "</p><p><b>Libraries</b></p><ul>"
                "<li>Qt %1 &mdash; GNU LGPL 3</li>"
                "<li>FluidSynth &mdash; GNU LGPL 2.1</li>"
                "<li>RtMidi &mdash; MIT-style licence</li>"
                "<li>SQLite &mdash; public domain</li>"
                "<li>JACK &mdash; GNU LGPL 2.1</li></ul>")
                .arg(QString::fromLatin1(qVersion()));
    return text;
}

}  // namespace velmora
