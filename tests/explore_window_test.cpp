// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QWheelEvent>
#include <QXYSeries>
#include <functional>

#include "core/draw/logical_mapping.h"
#include "core/draw/trace_points.h"
#include "core/report/number_text.h"
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
TEST_F(ExploreTest, TypingIntoABoxLeavesThePictureAlone) {
    window.show();
    window.picture().driver().advance();  // a cycle begun: stepe is the default pace
    const RunControl before = window.picture().run_control();
    QLineEdit* edit = window.parameter_form().box(2);  // main_share
    edit->setFocus();
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
         {Row{Qt::Key_Right, 9001}, Row{Qt::Key_Left, 9000}, Row{Qt::Key_PageDown, 9050},
          Row{Qt::Key_PageUp, 9000}, Row{Qt::Key_End, 18000}, Row{Qt::Key_Home, 0}}) {
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

// Typed text stays as typed. What breaks a range or the schedule's order is marked in place,
// with its reason, and counts only once it is valid; every keystroke that makes a valid engine
// shows it.
TEST_F(ExploreTest, TypedTextStaysAndCountsOnlyWhenValid) {
    window.show();
    window.show_step(100);
    ParameterForm& form = window.parameter_form();
    const auto index = [](const char* name) {
        return static_cast<std::size_t>(find_parameter(name) - parameter_table().data());
    };
    const QSize panel = window.panel().size();
    const auto type = [&](std::size_t i, const QString& text) {
        form.box(i)->setFocus();
        form.box(i)->selectAll();
        QKeyEvent clear(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(form.box(i), &clear);
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form.box(i), &press);
        }
    };
    const struct {
        const char* name;
        QString typed;
        const char* reason;  // empty: valid
    } cases[] = {
        {"gamma", "2", "allowed is (1, 1.67]"},
        {"gamma", "1.7", "allowed is (1, 1.67]"},
        {"gamma", "1.", "allowed is (1, 1.67]"},
        {"gamma", "1.35", ""},
        {"first_merge_atdc", "-40", "break the rule first_split_atdc"},
        {"main_share", "0.5x", "not a number"},
        {"main_share", "", "a number is needed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " = " + c.typed.toStdString());
        const std::size_t i = index(c.name);
        // In sight, as a box the pointer is over is.
        window.panel().findChild<QScrollArea*>()->ensureWidgetVisible(form.box(i), 0, 80);
        for (int turn = 0; turn < 5; ++turn) QApplication::processEvents();
        const QPoint box_at = form.box(i)->mapTo(&window, QPoint());
        type(i, c.typed);
        for (int turn = 0; turn < 5; ++turn) QApplication::processEvents();
        // The box under the pointer stays where it was, however long the reason beneath it.
        EXPECT_EQ(form.box(i)->mapTo(&window, QPoint()), box_at);
        EXPECT_EQ(form.box(i)->text(), c.typed);
        EXPECT_TRUE(form.reason(i).contains(QString::fromLatin1(c.reason)))
            << form.reason(i).toStdString();
        // What counts is the last valid text ("-4" on the way to "-40"), never the refused.
        const double counted = window.parameters().*parameter_table()[i].member;
        if (*c.reason != '\0') {
            EXPECT_NE(QString::fromStdString(shortest_text(counted)), c.typed);
        } else {
            EXPECT_TRUE(form.reason(i).isEmpty());
            EXPECT_EQ(QString::fromStdString(shortest_text(counted)), c.typed);
        }
        EXPECT_EQ(window.panel().size(), panel);  // nothing grows when a reason shows
        if (*c.reason != '\0') {
            // The reason in full beside its box, never only in a tooltip.
            EXPECT_EQ(form.note(i)->text(), form.reason(i));
            EXPECT_TRUE(form.note(i)->wordWrap());
        }
    }
    EXPECT_EQ(window.parameters().gamma, 1.35);
    EXPECT_EQ(window.picture().surface().image(),
              render_picture(100, false, 1, window.parameters()));
    EXPECT_TRUE(form.has_refused_text());
}

// Every change of the engine runs its cycle once, which the picture, the analysis and the view
// in sight all read; a value refused by its range runs none.
TEST_F(ExploreTest, EveryChangeRunsOneSweep) {
    window.show();
    window.tabs().setCurrentWidget(&window.view("pressure-angle"));
    window.show_step(12000);
    ParameterForm& form = window.parameter_form();
    const auto index = [](const char* name) { return parameter_index(*find_parameter(name)); };
    const auto type = [&](const char* name, const QString& text) {
        QLineEdit* box = form.box(index(name));
        box->setFocus();
        box->selectAll();
        box->insert(text);  // one edit, as a paste is
    };
    const auto original_engine = [this] {
        for (QPushButton* b : window.findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("Original engine")) b->click();
        }
    };
    const struct {
        const char* name;
        std::function<void()> change;
        std::uint64_t sweeps;
        const char* refused;  // the box whose text is refused, if any
    } cases[] = {
        {"a slider", [&] { form.slider(index("gamma"))->setValue(133); }, 1, nullptr},
        {"a typed value", [&] { type("start_temperature", QStringLiteral("340")); }, 1, nullptr},
        {"a value out of range", [&] { type("gamma", QStringLiteral("2")); }, 0, "gamma"},
        {"a value beyond the numbers", [&] { type("start_temperature", QStringLiteral("1e-320")); },
         1, "start_temperature"},
        {"the model",
         [&] { form.model_box()->setCurrentIndex(form.model_box()->findText("predictive")); }, 1,
         nullptr},
        {"pinning the baseline", [&] { window.set_baseline(window.parameters()); }, 0, nullptr},
        {"the original engine", original_engine, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const EngineParameters before = window.parameters();
        const std::uint64_t runs = cycles_run();
        c.change();
        EXPECT_EQ(cycles_run() - runs, c.sweeps);
        if (c.refused != nullptr) {
            EXPECT_FALSE(form.reason(index(c.refused)).isEmpty());
        }
        if (c.sweeps == 1 && window.parameters() != before) {
            EXPECT_EQ(window.picture().driver().shared_record(), window.cycle());
        }
    }
    EXPECT_EQ(window.parameters(), EngineParameters{});
    EXPECT_FALSE(form.has_refused_text());
}

// A slider moves its parameter by the step that suits it, and the picture follows it.
TEST_F(ExploreTest, ASliderSetsItsParameterByItsStep) {
    window.show_step(18000);
    ParameterForm& form = window.parameter_form();
    const auto i = static_cast<std::size_t>(find_parameter("gamma") - parameter_table().data());
    QSlider* slider = form.slider(i);
    EXPECT_EQ(slider->value(), 140);  // 1.4 in steps of 0.01
    EXPECT_EQ(slider->maximum(), 167);
    EXPECT_EQ(slider->minimum(), 101);  // 1 itself is outside
    slider->setValue(133);
    EXPECT_EQ(window.parameters().gamma, 1.33);
    EXPECT_EQ(form.box(i)->text(), "1.33");
    EngineParameters expected;
    expected.gamma = 1.33;
    EXPECT_EQ(window.picture().surface().image(), render_picture(18000, false, 1, expected));
}

// The model switch: the predictive engine at the shown step, its ignitions in the analysis,
// and the numbers that play no part in it greyed out.
TEST_F(ExploreTest, TheModelSwitchRunsThePredictiveEngine) {
    window.show_step(9000);
    QComboBox* model = window.parameter_form().model_box();
    model->setCurrentIndex(model->findText(QStringLiteral("predictive")));
    // With its own defaults of the shared parameters (its start temperature).
    const EngineParameters predictive = *model_defaults("predictive");
    EXPECT_EQ(window.parameters(), predictive);
    EXPECT_EQ(window.picture().surface().image(), render_picture(9000, false, 1, predictive));
    EXPECT_NE(window.analysis_text().indexOf(QStringLiteral("united charge ignites")), -1);
    const auto enabled = [this](const char* name) {
        return window.parameter_form()
            .findChild<QLineEdit*>(QString::fromLatin1(name))
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

// Scrolling the panel past the rows turns no value: the wheel is the panel's over a box, and
// over a slider until it has the focus.
TEST_F(ExploreTest, TheWheelOverTheRowsScrollsInsteadOfChangingTheEngine) {
    window.show();
    QApplication::setActiveWindow(&window);  // so that a slider can have the focus
    window.picture().setFocus();
    for (QWidget* widget : std::initializer_list<QWidget*>{window.parameter_form().box(0),
                                                           window.parameter_form().slider(0)}) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &wheel);
    }
    EXPECT_EQ(window.parameters(), EngineParameters{});
    EXPECT_EQ(window.parameter_form().box(0)->text(), "12");
    // The arrow keys step a box's value.
    QLineEdit* box = window.parameter_form().box(0);  // main_compression_ratio, by 0.5
    box->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(box, &down);
    EXPECT_EQ(window.parameters().main_compression_ratio, 11.5);
    EXPECT_EQ(box->text(), "11.5");
}

// Over the pressure diagram, the nearest point of the traces drawn so far.
TEST_F(ExploreTest, HoverReadsTheNearestTracePoint) {
    window.show();
    window.show_step(18000);
    const EngineGeometry g = make_engine_geometry();
    const auto peak = [&] {
        const auto points = trace_points(run_cycle({}));
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
        PictureTimeline timeline(share_cycle({}), row.scale);
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

namespace hcci {
namespace {

// The x of the line a chart's cursor draws, or of its first point.
double cursor_x(const CycleViewWidget& view, std::size_t chart) {
    const QList<QAbstractSeries*> all = view.chart_view(chart)->chart()->series();
    return static_cast<const QXYSeries*>(all.back())->at(0).x();
}

// The views follow the picture's step and the engine; the panel's note says when a trace
// leaves the picture.
TEST_F(ExploreTest, TheViewsFollowTheStepAndTheEngine) {
    window.show();
    ASSERT_EQ(window.tabs().count(), 4);
    EXPECT_EQ(&window.view("pressure-angle"), window.tabs().widget(0));
    window.tabs().setCurrentWidget(&window.view("pressure-angle"));
    window.show_step(8449);
    CycleViewWidget& pressure = window.view("pressure-angle");
    EXPECT_NEAR(cursor_x(pressure, 0), -11.02, 1e-9);
    EXPECT_NEAR(cursor_x(pressure, 1), -11.02, 1e-9);
    window.timeline().setValue(9000);
    EXPECT_NEAR(cursor_x(pressure, 0), 0, 1e-9);
    EXPECT_TRUE(window.off_picture_note().isEmpty());

    EngineParameters hot;
    hot.aux_ignition_factor = 3;
    window.set_parameters(hot);
    // Every view is drawn from the new sweep, the hidden ones too.
    const CycleAnalysis expected = analyse_cycle(hot);
    const auto highest = [&](std::string_view which) {
        double most = 0;
        for (const ViewLine& line : window.view(which).charts()[0].layout.lines) {
            for (const PlotPoint& p : line.points) most = std::max(most, p.y);
        }
        return most;
    };
    EXPECT_EQ(highest("pressure-angle"), expected.aux.peak_pressure.value);
    // A view out of sight is drawn when its tab shows.
    window.tabs().setCurrentWidget(&window.view("log-pv"));
    EXPECT_EQ(highest("log-pv"), expected.aux.peak_pressure.value);
    window.tabs().setCurrentWidget(&window.view("temperature-angle"));
    EXPECT_EQ(highest("temperature-angle"), expected.aux.peak_temperature.value);
    EXPECT_TRUE(window.off_picture_note().startsWith("Off the picture"));
    EXPECT_TRUE(window.off_picture_note().contains("auxiliary pressure 246.78 bar"));
}

// Over a view, the pointer reads the nearest point of the data: its charge, value, angle and
// step; away from the lines, nothing.
TEST_F(ExploreTest, HoverOverAViewReadsTheNearestPoint) {
    window.show();
    window.tabs().setCurrentWidget(&window.view("pressure-angle"));
    QApplication::processEvents();
    CycleViewWidget& pressure = window.view("pressure-angle");
    QChartView* view = pressure.chart_view(1);  // the zoom around top dead centre
    QChart* chart = view->chart();
    const QPointF peak(0, 88.97614);  // the united peak, step 9000
    const QPointF scene =
        chart->mapToScene(chart->mapToPosition(peak, pressure.charts()[1].lines[0]));
    const QPointF at = view->mapFromScene(scene);
    // Just above the peak: every other point of the line is lower, so farther.
    const QString text = pressure.hover_text(1, at + QPointF(0, -3));
    // At this scale a step is a tenth of a pixel: the point read is one of the peak's
    // neighbours, read as the data has it.
    const qsizetype at_step = text.lastIndexOf(QStringLiteral("step "));
    ASSERT_NE(at_step, -1) << text.toStdString();
    const int step = text.mid(at_step + 5).toInt();
    EXPECT_NEAR(step, 9000, 3);
    const CycleSeries series = cycle_series(run_cycle({}));
    const auto i = static_cast<std::size_t>(step);
    EXPECT_EQ(text, QStringLiteral("united: %1 bar\n%2\u00b0 after top dead centre, step %3")
                        .arg(QString::fromStdString(fixed_text(series.united.pressure[i], 2)))
                        .arg(QString::fromStdString(fixed_text(series.angle_deg[i], 2)))
                        .arg(step));
    const QRectF area = chart->plotArea();
    const QPointF empty = view->mapFromScene(chart->mapToScene(area.topLeft() + QPointF(20, 20)));
    EXPECT_TRUE(pressure.hover_text(1, empty).isEmpty());
}

// A pinned engine is the baseline: drawn dashed beneath, its figures in the analysis's columns;
// cleared, the views and the analysis are the current engine's alone.
TEST_F(ExploreTest, APinnedBaselineIsComparedUntilCleared) {
    window.set_baseline(window.parameters());
    EngineParameters other;
    other.gamma = 1.3;
    window.set_parameters(other);
    const QString analysis = window.analysis_text();
    EXPECT_TRUE(analysis.startsWith("Current engine:  gamma = 1.3\nBaseline engine: the defaults"))
        << analysis.toStdString();
    EXPECT_TRUE(analysis.contains("difference"));
    window.tabs().setCurrentWidget(&window.view("log-pv"));
    ASSERT_FALSE(window.view("log-pv").charts().empty());
    const std::vector<ViewLine>& lines = window.view("log-pv").charts()[0].layout.lines;
    const auto dashed =
        std::count_if(lines.begin(), lines.end(), [](const ViewLine& l) { return l.baseline; });
    EXPECT_EQ(2 * static_cast<std::size_t>(dashed), lines.size());
    window.set_baseline(std::nullopt);
    EXPECT_FALSE(window.analysis_text().contains("Baseline engine"));
    for (const ViewLine& line : window.view("log-pv").charts()[0].layout.lines) {
        EXPECT_FALSE(line.baseline);
    }
}

// Escape, a double click or closing the window asks before unsaved changes are lost; without
// any, or once answered "discard", the program ends.
TEST_F(ExploreTest, QuittingWithUnsavedChangesAsksFirst) {
    int asked = 0;
    ExploreWindow::QuitAnswer answer = ExploreWindow::QuitAnswer::cancel;
    window.set_quit_question([&] {
        ++asked;
        return answer;
    });
    EXPECT_FALSE(window.has_unsaved_changes());
    EngineParameters other;
    other.gamma = 1.3;
    window.set_parameters(other);
    EXPECT_TRUE(window.has_unsaved_changes());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window.picture(), &escape);
    EXPECT_EQ(asked, 1);
    EXPECT_NE(window.picture().driver().state(), DriverState::ended);  // cancelled: runs on
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(300, 450), QPointF(300, 450),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window.picture(), &twice);
    EXPECT_EQ(asked, 2);
    EXPECT_NE(window.picture().driver().state(), DriverState::ended);
    answer = ExploreWindow::QuitAnswer::discard;
    EXPECT_TRUE(window.may_end());
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(window.may_end());  // asked once only
    EXPECT_EQ(asked, 3);
}

// Play at the end of the sweep starts it again from step 0; the speed sets the pace, and is
// kept when a cycle starts.
TEST_F(ExploreTest, PlayAtTheEndStartsAgainAtTheChosenSpeed) {
    window.show_step(last_step);
    ASSERT_TRUE(window.picture().frozen());
    auto* speed = window.findChild<QComboBox*>(QStringLiteral("speed"));
    ASSERT_NE(speed, nullptr);
    speed->setCurrentIndex(speed->findData(2.0));
    EXPECT_EQ(window.picture().run_control().stepe, default_stepe / 2);
    auto* play = window.findChild<QPushButton*>(QStringLiteral("play"));
    play->click();
    EXPECT_EQ(window.picture().driver().step_index(), 0);
    EXPECT_FALSE(window.picture().frozen());
    EXPECT_EQ(window.picture().run_control().stepe, default_stepe / 2);
    EXPECT_EQ(play->text(), "Freeze");
    // A click on the timeline's track puts the handle there.
    EXPECT_EQ(window.timeline().style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons),
              Qt::LeftButton);
}

// However large it would open, the window fits the screen's available area (the offscreen
// screen is smaller than the explorer's own size).
TEST_F(ExploreTest, TheWindowFitsItsScreen) {
    window.resize(4000, 3000);
    window.fit_to_screen();
    const QRect room = window.screen()->availableGeometry();
    EXPECT_LE(window.width(), room.width());
    EXPECT_LT(window.height(), room.height());
    EXPECT_TRUE(room.contains(window.frameGeometry().topLeft()));
}

}  // namespace
}  // namespace hcci
