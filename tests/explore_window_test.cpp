// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

#include "core/draw/logical_mapping.h"
#include "core/draw/trace_points.h"
#include "qt/picture/picture.h"
#include "qt/picture/picture_timeline.h"
#include "qt_application.h"

// The explorer's panel, on Qt's offscreen platform.

namespace hcci {
namespace {

class ExploreTest : public QtApplicationSuite {
protected:
    ExploreWindow window{EngineParameters{}};
};

// Any step, from a snapshot and a replay, is the picture a fresh sweep leaves there.
TEST_F(ExploreTest, ShowsAnyStepAsTheExportDrawsIt) {
    for (const int step : {0, 999, 1000, 8449, 17999, 18000, 4321}) {
        SCOPED_TRACE(step);
        window.show_step(step);
        EXPECT_EQ(window.picture().driver().step_index(), step);
        EXPECT_TRUE(window.picture().frozen());
        EXPECT_EQ(window.picture().surface().image(), render_picture(step, false));
        EXPECT_EQ(window.timeline().value(), step);
    }
}

TEST_F(ExploreTest, TheSliderFreezesAtItsStepAndPlayGoesOnAtThePace) {
    window.timeline().setValue(9000);
    EXPECT_EQ(window.picture().driver().step_index(), 9000);
    EXPECT_TRUE(window.picture().frozen());
    EXPECT_NE(window.values_text().indexOf("88.98 bar"), -1) << window.values_text().toStdString();
    const double pace = window.picture().run_control().stepe;
    window.picture().set_frozen(false);
    EXPECT_FALSE(window.picture().frozen());
    EXPECT_EQ(window.picture().run_control().stepe, pace);
}

TEST_F(ExploreTest, AnotherEngineRedrawsTheShownStepAndItsAnalysis) {
    window.show_step(12000);
    const QString before = window.analysis_text();
    EngineParameters hotter;
    hotter.start_temperature = 400;
    window.set_parameters(hotter);
    EXPECT_EQ(window.picture().driver().step_index(), 12000);
    EXPECT_EQ(window.picture().surface().image(), render_picture(12000, false, 1, hotter));
    EXPECT_NE(window.analysis_text(), before);
    EXPECT_EQ(window.parameter_form().parameters(), hotter);
    // The parameters' spin boxes and the original engine again.
    window.set_parameters(EngineParameters{});
    EXPECT_EQ(window.picture().surface().image(), render_picture(12000, false));
}

// Typing into the panel is not typing to the picture: "0.5" neither slows nor speeds it.
TEST_F(ExploreTest, TypingIntoASpinBoxLeavesThePictureAlone) {
    window.show();
    window.picture().driver().advance();  // a cycle begun: stepe is the default pace
    const RunControl before = window.picture().run_control();
    QDoubleSpinBox* box = window.parameter_form().spin_box(2);  // main_share
    box->setFocus();
    QLineEdit* edit = box->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    for (const char c : std::string("0.5 ,./")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(edit, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(edit, &enter);
    EXPECT_EQ(window.picture().run_control().stepe, before.stepe);
    EXPECT_EQ(window.picture().run_control().stopp, before.stopp);
    EXPECT_EQ(window.picture().run_control().loopy, before.loopy);
}

// The timeline's keys reach the panel through the picture, which has no use for them; the
// picture's own keys stay its own.
TEST_F(ExploreTest, TheTimelinesKeysActFromThePicture) {
    struct Row {
        Qt::Key key;
        int step;
    };
    window.picture().driver().advance();  // a cycle begun: stepe is the default pace
    window.show_step(9000);
    for (const Row row :
         {Row{Qt::Key_Right, 9001}, Row{Qt::Key_Left, 9000}, Row{Qt::Key_PageUp, 9050},
          Row{Qt::Key_PageDown, 9000}, Row{Qt::Key_End, 18000}, Row{Qt::Key_Home, 0}}) {
        SCOPED_TRACE(row.key);
        QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier);
        QApplication::sendEvent(&window.picture(), &press);
        EXPECT_EQ(window.picture().driver().step_index(), row.step);
        EXPECT_EQ(window.timeline().value(), row.step);
    }
    EXPECT_EQ(window.picture().run_control().stepe, default_stepe);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&window.picture(), &space);
    EXPECT_FALSE(window.picture().frozen());  // released, as Space does, unpaced
    EXPECT_EQ(window.picture().run_control().stepe, 0);
}

TEST_F(ExploreTest, AValueThatBreaksTheRulesIsRefusedInTheForm) {
    window.show_step(100);
    auto* first_merge =
        window.parameter_form().findChild<QDoubleSpinBox*>(QStringLiteral("first_merge_atdc"));
    ASSERT_NE(first_merge, nullptr);
    first_merge->setValue(-40);  // before the first split at -33
    EXPECT_EQ(first_merge->value(), -11);
    EXPECT_EQ(window.parameters(), EngineParameters{});
}

// The model switch: the predictive engine at the shown step, its ignitions in the analysis,
// and the numbers that play no part in it greyed out.
TEST_F(ExploreTest, TheModelSwitchRunsThePredictiveEngine) {
    window.show_step(9000);
    QComboBox* model = window.parameter_form().model_box();
    model->setCurrentIndex(model->findText(QStringLiteral("predictive")));
    EngineParameters predictive;
    predictive.model = EngineModelKind::predictive;
    EXPECT_EQ(window.parameters(), predictive);
    EXPECT_EQ(window.picture().surface().image(), render_picture(9000, false, 1, predictive));
    EXPECT_NE(window.analysis_text().indexOf(QStringLiteral("united charge ignites")), -1);
    const auto enabled = [this](const char* name) {
        return window.parameter_form()
            .findChild<QDoubleSpinBox*>(QString::fromLatin1(name))
            ->isEnabled();
    };
    EXPECT_FALSE(enabled("aux_ignition_factor"));
    EXPECT_TRUE(enabled("equivalence_ratio"));
    EXPECT_TRUE(enabled("gamma"));
    model->setCurrentIndex(model->findText(QStringLiteral("scheduled")));
    EXPECT_EQ(window.parameters(), EngineParameters{});
    EXPECT_TRUE(enabled("aux_ignition_factor"));
    EXPECT_FALSE(enabled("equivalence_ratio"));
}

// Scrolling the panel past the boxes turns no value: the wheel is the panel's until a box has
// the focus.
TEST_F(ExploreTest, TheWheelOverABoxScrollsInsteadOfChangingTheEngine) {
    window.show();
    QApplication::setActiveWindow(&window);  // so that a box can have the focus
    window.picture().setFocus();
    QDoubleSpinBox* box = window.parameter_form().spin_box(0);  // main_compression_ratio
    const QPointF at(box->width() / 2.0, box->height() / 2.0);
    const auto roll = [&] {
        QWheelEvent wheel(at, box->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
    };
    roll();
    EXPECT_EQ(window.parameters(), EngineParameters{});
    EXPECT_EQ(box->text(), "12");
    box->setFocus();
    roll();
    EXPECT_EQ(window.parameters().main_compression_ratio, 11);
}

// Over the pressure diagram, the nearest point of the traces drawn so far.
TEST_F(ExploreTest, HoverReadsTheNearestTracePoint) {
    window.resize(client_width + 440, client_height);
    window.show();
    window.show_step(18000);
    const EngineGeometry g = make_engine_geometry();
    const auto peak = [&] {
        const auto points = trace_points(EngineParameters{});
        TracePoint best = points.front();
        for (const TracePoint& p : points) {
            if (p.trace == Trace::aux_pressure && p.value > best.value) best = p;
        }
        return best;
    }();
    ASSERT_EQ(peak.step, 8449);
    const QPointF client(pixel_x(static_cast<float>(peak.crown_x)),
                         pixel_y(static_cast<float>(g.pressure_base_y - peak.value)));
    const Form1& form = window.picture();
    const QPoint widget = (client * form.picture_scale()).toPoint() + form.picture_rect().topLeft();
    const QString text = window.hover_text(widget);
    EXPECT_TRUE(text.startsWith("auxiliary pressure: 148.07 bar\nstep 8449, -11.02"))
        << text.toStdString();
    EXPECT_TRUE(window.hover_text(QPoint(300, 330)).isEmpty());  // the middle of the bore
}

// The snapshots' memory grows with the scale, not its square, and the step farthest from a
// snapshot is still the picture a fresh sweep leaves there.
TEST(PictureTimeline, SnapshotsFewerAsThePictureGrows) {
    struct Row {
        int scale;
        std::size_t snapshots;
    };
    for (const Row row : {Row{1, 19}, Row{2, 10}}) {
        SCOPED_TRACE(row.scale);
        PictureTimeline timeline(EngineParameters{}, row.scale);
        while (!timeline.build([] { return true; })) {
        }
        const auto picture_bytes = static_cast<std::size_t>(616 * 741 * 4 * row.scale * row.scale);
        EXPECT_EQ(timeline.snapshot_bytes(), row.snapshots * picture_bytes);
        const int farthest = PictureTimeline::snapshot_interval(row.scale) - 1;
        EXPECT_EQ(timeline.at(farthest).surface->image(),
                  render_picture(farthest, false, row.scale));
    }
}

}  // namespace
}  // namespace hcci
