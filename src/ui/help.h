// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QString>

namespace velmora {

// The practising guide as HTML, with the table of the letter keys that
// answer each pitch class.
QString GuideHtml();

// The About text: the version, Velmora's own licence, what plays (`sound`, as
// the status line says it) and the libraries used with their licences.
QString AboutHtml(const QString& sound);

// The licence of a well-known General MIDI SoundFont named in `sound`, or
// empty when it is not known.
QString SoundFontLicence(const QString& sound);

}  // namespace velmora
