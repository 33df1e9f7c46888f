// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QWheelEvent>

#include "apps/window/explore_window.h"
#include "apps/window/fold_section.h"
#include "core/draw/logical_mapping.h"
#include "qt_application.h"

// The explorer's columns and its panel's controls, on Qt's offscreen platform.

namespace hcci {
namespace {

// Layouts settle over a few turns of the event loop, each level's request posted by the one below.
void settle() {
    for (int turn = 0; turn < 5; ++turn) QApplication::processEvents();
}

class ExploreLayoutTest : public QtApplicationSuite {
protected:
    ExploreWindow window{EngineParameters{}};

    // The window at a screen's size less its title bar, its columns shared out afresh.
    void size_as_on(int width, int height) {
        window.resize(width, height - 48);
        window.arrange_columns();
        window.show();
        settle();
    }
    std::size_t index_of(const char* name) const { return parameter_index(*find_parameter(name)); }
};

// On a laptop's screen and on a large one the picture, a view and the panel stand side by side,
// all in sight, the picture scaled to fit; a large screen's room goes to the view and the panel.
TEST_F(ExploreLayoutTest, PictureViewAndPanelSideBySide) {
    struct Seen {
        int picture, view, panel;
        double scale;
    };
    const auto seen_on = [&](int width, int height) {
        size_as_on(width, height);
        const QList<int> sizes = window.columns().sizes();
        EXPECT_EQ(sizes.size(), 3);
        int right = -1;
        for (QWidget* column : {static_cast<QWidget*>(&window.picture()),
                                static_cast<QWidget*>(&window.tabs()), &window.panel()}) {
            const QRect at(column->mapTo(&window, QPoint()), column->size());
            EXPECT_TRUE(column->isVisible());
            EXPECT_GT(at.left(), right);  // beside the one before, not over it
            EXPECT_LE(at.right(), window.width() - 1);
            right = at.right();
        }
        // The picture whole within its column.
        const QRect picture = window.picture().picture_rect();
        EXPECT_GE(picture.left(), 0);
        EXPECT_LE(picture.right(), window.picture().width() - 1);
        EXPECT_LE(picture.bottom(), window.picture().height() - 1);
        // Every slider at least 200 px long, the summary without a sideways scroll bar.
        for (std::size_t i = 0; i < parameter_table().size(); ++i) {
            EXPECT_GE(window.parameter_form().slider(i)->width(), 200) << i;
        }
        const auto* summary = window.findChild<QPlainTextEdit*>();
        EXPECT_NE(summary->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_FALSE(summary->horizontalScrollBar()->isVisible());
        return Seen{sizes[0], sizes[1], sizes[2], window.picture().picture_scale()};
    };
    const Seen laptop = seen_on(1366, 768);
    const Seen large = seen_on(1920, 1200);
    EXPECT_LT(laptop.scale, 1);
    EXPECT_GE(laptop.view, 300);
    EXPECT_DOUBLE_EQ(large.scale, 1);  // no larger than its own size
    EXPECT_EQ(large.picture, client_width);
    EXPECT_GT(large.view, laptop.view + 200);
    EXPECT_GE(large.panel, laptop.panel);
}

// The columns as the user left them come back with the state saved.
TEST_F(ExploreLayoutTest, ColumnsComeBackAsTheyWereLeft) {
    size_as_on(1600, 1000);
    window.set_column_widths(500, 520);
    settle();
    const QList<int> left = window.columns().sizes();
    ExploreWindow again{EngineParameters{}};
    again.resize(window.size());
    again.show();
    again.restore_columns(window.columns_state());
    settle();
    EXPECT_EQ(again.columns().sizes(), left);
    // Nothing saved: the columns shared out as on a first start.
    again.restore_columns({});
    EXPECT_NE(again.columns().sizes(), left);
}

// Each group of parameters folds under its title and comes back.
TEST_F(ExploreLayoutTest, GroupsFoldAndOpen) {
    size_as_on(1366, 768);
    const std::vector<FoldSection*>& groups = window.parameter_form().groups();
    ASSERT_GE(groups.size(), 2u);
    QLineEdit* first = window.parameter_form().box(0);
    ASSERT_TRUE(groups.front()->isAncestorOf(first));
    const int below = groups[1]->mapTo(&window, QPoint()).y();
    groups.front()->title()->click();
    settle();
    EXPECT_TRUE(groups.front()->folded());
    EXPECT_FALSE(first->isVisible());
    EXPECT_LT(groups[1]->mapTo(&window, QPoint()).y(), below);  // the next group moves up
    groups.front()->title()->click();
    settle();
    EXPECT_FALSE(groups.front()->folded());
    EXPECT_TRUE(first->isVisible());
}

// The arrows and the wheel step a value by its parameter's step, with Shift by a tenth of it,
// on the box and on the slider alike.
TEST_F(ExploreLayoutTest, ArrowsAndWheelStepByTheStepOrATenth) {
    size_as_on(1366, 768);
    QApplication::setActiveWindow(&window);
    ParameterForm& form = window.parameter_form();
    enum class On { box, slider };
    enum class By { key, wheel };
    const struct {
        const char* name;
        On on;
        By by;
        int key_or_notches;
        Qt::KeyboardModifiers modifiers;
        double expected;
    } cases[] = {
        {"main_compression_ratio", On::box, By::key, Qt::Key_Up, Qt::NoModifier, 12.5},
        {"main_compression_ratio", On::box, By::key, Qt::Key_Down, Qt::ShiftModifier, 11.95},
        {"main_compression_ratio", On::slider, By::key, Qt::Key_Right, Qt::NoModifier, 12.5},
        {"main_compression_ratio", On::slider, By::key, Qt::Key_Left, Qt::ShiftModifier, 11.95},
        {"main_compression_ratio", On::slider, By::wheel, 1, Qt::NoModifier, 12.5},
        {"main_compression_ratio", On::box, By::wheel, -2, Qt::ShiftModifier, 11.9},
        {"gamma", On::box, By::key, Qt::Key_Up, Qt::ShiftModifier, 1.401},
        {"gamma", On::slider, By::key, Qt::Key_Down, Qt::NoModifier, 1.39},
        {"gamma", On::slider, By::wheel, 1, Qt::ShiftModifier, 1.401},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.on == On::box ? " box" : " slider"));
        window.set_parameters(EngineParameters{});
        const std::size_t i = index_of(c.name);
        QWidget* target = c.on == On::box ? static_cast<QWidget*>(form.box(i)) : form.slider(i);
        target->setFocus();
        if (c.by == By::key) {
            QKeyEvent press(QEvent::KeyPress, c.key_or_notches, c.modifiers);
            QApplication::sendEvent(target, &press);
        } else {
            const QPointF at(target->width() / 2.0, target->height() / 2.0);
            QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(),
                              QPoint(0, 120 * c.key_or_notches), Qt::NoButton, c.modifiers,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &wheel);
        }
        const double value = window.parameters().*find_parameter(c.name)->member;
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(form.box(i)->text().toDouble(), c.expected);
        EXPECT_EQ(form.slider(i)->value(),
                  static_cast<int>(std::lround(c.expected / find_parameter(c.name)->step)));
    }
}

// The note on traces off the picture keeps its room, said or not: nothing beneath it moves.
TEST_F(ExploreLayoutTest, TheOffPictureNoteMovesNothing) {
    size_as_on(1366, 768);
    const auto* summary = window.findChild<QPlainTextEdit*>();
    const QPoint before = summary->mapTo(&window, QPoint());
    EngineParameters hot;
    hot.aux_ignition_factor = 3;
    window.set_parameters(hot);
    settle();
    ASSERT_FALSE(window.off_picture_note().isEmpty());
    EXPECT_EQ(summary->mapTo(&window, QPoint()), before);
    window.set_parameters(EngineParameters{});
    settle();
    EXPECT_EQ(summary->mapTo(&window, QPoint()), before);
}

}  // namespace
}  // namespace hcci
