// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// What one step of zoom costs while the user drags the window's edge: every
// control placed, styled and drawn again at the new size.

#include <QApplication>

#include <vector>

#include "figures.h"
#include "headless_window.h"
#include "ui/zoom.h"

int main(int argc, char** argv) {
    velmora::bench::DefaultToOffscreen();
    QApplication app(argc, argv);
    velmora::bench::HeadlessWindow headless;
    velmora::MainWindow& window = headless.window;

    const QSize around = window.size() - window.centralWidget()->size();
    std::vector<double> steps;
    for (int pass = 0; pass < 2; ++pass) {
        for (int percent = 101; percent <= 200; ++percent) {
            const double start = velmora::bench::MonotonicSeconds();
            window.resize(velmora::ClientSize(percent) + around);
            QApplication::processEvents();
            window.repaint();
            steps.push_back(velmora::bench::MonotonicSeconds() - start);
        }
        window.resize(velmora::ClientSize(100) + around);
        QApplication::processEvents();
    }
    velmora::bench::PrintFigure(
        "one zoom step while resizing (median ms)",
        velmora::bench::Format("%.1f", velmora::bench::Median(steps) * 1000), "< 16",
        "resize 101..200 %, place, style and draw every control");
    velmora::bench::PrintFigure(
        "one zoom step while resizing (95th percentile ms)",
        velmora::bench::Format("%.1f", velmora::bench::Percentile(steps, 0.95) * 1000), "< 33",
        "as above");
    return 0;
}
