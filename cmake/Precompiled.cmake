# SPDX-License-Identifier: GPL-3.0-or-later

# Headers compiled once per target rather than once per source file: in the
# window and in the tests most of a source file's compile time goes into the Qt
# and GoogleTest headers. -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON turns them off.
#
# GCC takes a precompiled header only where the macros it depends on are
# defined as when it was made. So a target shares another's (REUSE_FROM) only
# where the compile definitions agree: velmora_ui's has QT_SVG_LIB, which the
# programs linking it lack, so they cannot share it. CMake adds -Winvalid-pch:
# a header that is not taken shows as a warning naming the macro.

# What src/ui includes most; the heavy part is QtWidgets itself, which every
# one of these pulls in.
set(VELMORA_QT_PCH_HEADERS
    <QAction>
    <QApplication>
    <QCheckBox>
    <QColor>
    <QComboBox>
    <QEvent>
    <QFontMetrics>
    <QGroupBox>
    <QHeaderView>
    <QLabel>
    <QListWidget>
    <QMainWindow>
    <QMenu>
    <QMenuBar>
    <QObject>
    <QPainter>
    <QPointer>
    <QPushButton>
    <QScrollBar>
    <QString>
    <QStyle>
    <QTableView>
    <QTimer>
    <QWidget>)

# The standard headers most files include.
set(VELMORA_STD_PCH_HEADERS
    <algorithm>
    <array>
    <cstdint>
    <functional>
    <memory>
    <optional>
    <string>
    <string_view>
    <vector>)

set(VELMORA_TEST_PCH_HEADERS
    <gmock/gmock.h>
    <gtest/gtest.h>)

set(VELMORA_QT_TEST_PCH_HEADERS
    <QSignalSpy>
    <QTemporaryDir>
    <QTest>)

# Clang writes the headers' times into a precompiled header and refuses it once
# a header is written again, as CMake writes its list anew in every new build
# folder; without them ccache can hand out one it has kept.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options("SHELL:-Xclang -fno-pch-timestamp")
endif()
