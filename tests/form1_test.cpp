// SPDX-License-Identifier: MIT
#include "apps/window/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <string>
#include <vector>

#include "qt_application.h"
#include "text_lines.h"

namespace hcci {
namespace {

const QString caption =
    "         Torvan HCCI Controllable Combustion     SpaceBar :freeze   Enter: restart  , . /   "
    "ESC/ DoubleClick : Quit";

class Form1Test : public QtApplicationSuite {
protected:
    void send_key(int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&form, &press);
    }
    void double_click(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(at),
                          target->mapToGlobal(QPointF(at)), button, button, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void advance(int steps) {
        for (int i = 0; i < steps; ++i) form.driver().advance();
        form.update_readout();
    }
    QString label_text(std::size_t index) const { return form.label(index)->text(); }

    Form1 form;
    int ended = 0;
    QMetaObject::Connection connection =
        QObject::connect(&form, &Form1::ended, [this] { ++ended; });
};

TEST_F(Form1Test, CaptionAndClientSizeAreExact) {
    EXPECT_EQ(caption.size(), 115);
    EXPECT_EQ(form.windowTitle(), caption);
    EXPECT_EQ(form.size(), QSize(616, 741));
}

struct LabelCase {
    const char* name;
    const char* caption;
    QRect rect;
    QColor text, background;
    Qt::Alignment alignment;
    int pixel_size;  // 12 pt, 14.25 pt and 15.75 pt at 96 dpi
    std::vector<QString> lines;
};

// The window's labels as they are meant to look, written out here rather than taken from the
// code's own table.
const std::vector<LabelCase> label_cases = {
    {"Label1",
     "Pressure (10Bar/Horizontal_Line)",
     {224, 16, 193, 57},
     QColor(128, 128, 128),
     Qt::white,
     Qt::AlignHCenter,
     16,
     {"Pressure", "(10Bar/Horizontal_Line)"}},
    {"Label2",
     "Temperature (100K/Horizontal_Line)",
     {232, 656, 193, 49},
     QColor(128, 128, 128),
     Qt::white,
     Qt::AlignHCenter,
     16,
     {"Temperature", "(100K/Horizontal_Line)"}},
    {"Label3",
     "Torvan HCCI Controllable Combustion ",
     {472, 8, 129, 137},
     QColor(192, 0, 0),
     Qt::white,
     Qt::AlignRight,
     21,
     {"Torvan HCCI", "Controllable", "Combustion"}},
    {"Label4",
     "www.torvan.example",
     {408, 712, 193, 25},
     QColor(192, 192, 192),
     Qt::white,
     Qt::AlignHCenter,
     19,
     {"www.torvan.example"}},
    {"Label5",
     "United Chamber",
     {432, 600, 153, 25},
     QColor(0, 0, 255),
     Qt::white,
     Qt::AlignRight,
     16,
     {"United Chamber"}},
    {"Label6",
     "Main Chamber",
     {432, 624, 153, 25},
     QColor(0, 192, 0),
     Qt::white,
     Qt::AlignRight,
     16,
     {"Main Chamber"}},
    {"Label7",
     "Auxiliary Chamber",
     {432, 648, 153, 25},
     QColor(255, 0, 0),
     Qt::white,
     Qt::AlignRight,
     16,
     {"Auxiliary Chamber"}},
    {"Label8",
     "-180",
     {280, 328, 57, 33},
     QColor(192, 0, 0),
     Qt::white,
     Qt::AlignHCenter,
     19,
     {"-180"}},
};

TEST_F(Form1Test, LabelsLookAsTheyAreMeantTo) {
    for (std::size_t i = 0; i < label_cases.size(); ++i) {
        const LabelCase& c = label_cases[i];
        SCOPED_TRACE(c.name);
        const QLabel* label = form.label(i);
        EXPECT_EQ(label->objectName(), c.name);
        EXPECT_EQ(label->text(), c.caption);
        EXPECT_EQ(label->geometry(), c.rect);
        EXPECT_EQ(label->alignment(), c.alignment | Qt::AlignTop);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), c.text);
        EXPECT_EQ(label->palette().color(QPalette::Window), c.background);
        EXPECT_TRUE(label->autoFillBackground());
        const QFont font = label->font();
        EXPECT_EQ(font.families(), QStringList({"Comic Sans MS", "Comic Neue"}));
        EXPECT_TRUE(font.bold());
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());
        EXPECT_EQ(font.pixelSize(), c.pixel_size);
    }
}

// Each line as painted: one band of ink per line, as wide as that line's text, starting at the
// label's top and aligned as it should be.
TEST_F(Form1Test, LabelsWrapAtSpacesOnly) {
    for (std::size_t i = 0; i < label_cases.size(); ++i) {
        const LabelCase& c = label_cases[i];
        SCOPED_TRACE(c.name);
        const QImage image = form.label(i)->grab().toImage();
        const std::vector<QRect> lines = text_lines(image, image.rect(), c.background.rgb());
        ASSERT_EQ(lines.size(), c.lines.size());
        const QFontMetrics metrics(form.label(i)->font());
        for (std::size_t n = 0; n < lines.size(); ++n) {
            SCOPED_TRACE(c.lines[n].toStdString());
            const int width = metrics.boundingRect(c.lines[n]).width();
            EXPECT_NEAR(lines[n].width(), width, 3);
            if (c.alignment == Qt::AlignRight) {
                EXPECT_GE(lines[n].right(), c.rect.width() - metrics.horizontalAdvance(' ') - 4);
            } else {
                EXPECT_NEAR(lines[n].center().x(), c.rect.width() / 2.0, 3);
            }
        }
        EXPECT_LT(lines.front().top(), metrics.height());
    }
}

TEST_F(Form1Test, ReadoutShowsTheCrankAngleFromTopDeadCentre) {
    EXPECT_EQ(label_text(7), "-180");
    advance(4501);
    EXPECT_EQ(label_text(7), "-91");
}

TEST_F(Form1Test, ReadoutKeeps180ThroughTheEndOfSweepWait) {
    advance(18001);
    EXPECT_EQ(label_text(7), "180");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(form.driver().advance(), Advance::waiting);
    form.update_readout();
    EXPECT_EQ(label_text(7), "180");
}

TEST_F(Form1Test, LabelsKeepTheirCaptionsAcrossARestart) {
    advance(3000);
    const QString readout = label_text(7);
    send_key(Qt::Key_Return, "\r");
    form.driver().advance();  // clears the drawing, draws the next cycle's background
    ASSERT_EQ(form.driver().cycles(), 2);
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(label_text(i), label_cases[i].caption);
    EXPECT_EQ(label_text(7), readout);  // until the next step's readout is shown
    form.update_readout();
    EXPECT_EQ(label_text(7), "-180");
}

TEST_F(Form1Test, DoubleClickOnALabelDoesNothing) {
    for (std::size_t i = 0; i < 8; ++i) double_click(form.label(i), QPoint(3, 3));
    EXPECT_EQ(ended, 0);
    EXPECT_NE(form.driver().state(), DriverState::ended);
}

TEST_F(Form1Test, OnlyAPrimaryDoubleClickOnTheWindowEnds) {
    form.driver().advance();
    double_click(&form, QPoint(100, 400), Qt::RightButton);
    double_click(&form, QPoint(100, 400), Qt::MiddleButton);
    EXPECT_EQ(ended, 0);
    double_click(&form, QPoint(100, 400));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(form.driver().state(), DriverState::ended);
    EXPECT_EQ(form.surface().image().pixelColor(100, 160), QColor(Qt::white));
}

TEST_F(Form1Test, EscapeAndClosingTheWindowEnd) {
    send_key(Qt::Key_Escape, QString(QChar(27)));
    EXPECT_EQ(ended, 1);
    Form1 other;
    int other_ended = 0;
    QObject::connect(&other, &Form1::ended, [&] { ++other_ended; });
    QCloseEvent close;
    QApplication::sendEvent(&other, &close);
    EXPECT_EQ(other_ended, 1);
    EXPECT_EQ(other.driver().state(), DriverState::ended);
}

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    RunControl after;  // from stepe 50000, not frozen, no restart pending
};

TEST_F(Form1Test, KeysActByTheCharacterTheyType) {
    const std::vector<KeyCase> cases = {
        {"return", Qt::Key_Return, Qt::NoModifier, "\r", {50000, 0, 1}},
        {"keypad_enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", {50000, 0, 1}},
        {"shift_space", Qt::Key_Space, Qt::ShiftModifier, " ", {0, 1, 0}},
        {"keypad_slash", Qt::Key_Slash, Qt::KeypadModifier, "/", {10000, 0, 0}},
        {"keypad_full_stop", Qt::Key_Period, Qt::KeypadModifier, ".", {55000.00000000001, 0, 0}},
        {"shift_comma_types_less_than", Qt::Key_Less, Qt::ShiftModifier, "<", {50000, 0, 0}},
        // Shortcuts type nothing, whatever character the keyboard reports with them.
        {"control_return", Qt::Key_Return, Qt::ControlModifier, "\r", {50000, 0, 0}},
        {"control_m", Qt::Key_M, Qt::ControlModifier, "\r", {50000, 0, 0}},
        {"alt_comma", Qt::Key_Comma, Qt::AltModifier, ",", {50000, 0, 0}},
        {"control_bracket_is_no_escape",
         Qt::Key_BracketLeft,
         Qt::ControlModifier,
         "\x1b",
         {50000, 0, 0}},
        {"arrow", Qt::Key_Left, Qt::KeypadModifier, "", {50000, 0, 0}},
        {"function_key", Qt::Key_F1, Qt::NoModifier, "", {50000, 0, 0}},
    };
    form.driver().advance();  // the cycle start sets stepe 50000
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        Form1 fresh;
        fresh.driver().advance();
        int fresh_ended = 0;
        QObject::connect(&fresh, &Form1::ended, [&] { ++fresh_ended; });
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.text);
        QApplication::sendEvent(&fresh, &press);
        EXPECT_EQ(fresh_ended, 0);
        EXPECT_EQ(fresh.run_control().stepe, c.after.stepe);
        EXPECT_EQ(fresh.run_control().stopp, c.after.stopp);
        EXPECT_EQ(fresh.run_control().loopy, c.after.loopy);
    }
}

// Runs the event loop until the condition holds or a generous deadline passes.
template <class F>
bool pump_until(F condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

TEST_F(Form1Test, SpaceFreezesWithoutATimerAndSpaceAgainReleases) {
    form.show();
    ASSERT_TRUE(pump_until([&] { return form.driver().step_index() > 5; }));
    send_key(Qt::Key_Space, " ");
    ASSERT_TRUE(pump_until([&] { return form.driver().state() == DriverState::frozen; }));
    const int held = form.driver().step_index();
    QApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(form.driver().step_index(), held);
    send_key(Qt::Key_Space, " ");
    EXPECT_TRUE(pump_until([&] { return form.driver().step_index() > held + 100; }));
}

// With the clock in the test's hand, keys arrive at the times it says, however late the events
// are handled: two Enter presses at one moment cancel, and two a step apart restart twice.
TEST_F(Form1Test, EnterRestartsButTwoPressesAtOneMomentCancel) {
    double now_ns = 0;
    Form1 window(EngineParameters{}, nullptr, [&now_ns] { return now_ns; });
    const auto enter = [&window] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(&window, &press);
    };
    std::vector<int> shown_steps;
    QObject::connect(&window, &Form1::shown, [&](const DriverSnapshot& driver) {
        shown_steps.push_back(driver.step);
        EXPECT_EQ(driver.step, window.driver().step_index());
    });
    // Steps 0 and 1 at once (the first step is not paced), then one every millisecond.
    window.show();
    ASSERT_TRUE(pump_until([&] { return window.driver().step_index() == 1; }));
    now_ns = 40e6;
    ASSERT_TRUE(pump_until([&] { return window.driver().step_index() == 41; }));
    enter();
    enter();
    now_ns = 60e6;
    ASSERT_TRUE(pump_until([&] { return window.driver().step_index() == 61; }));
    EXPECT_EQ(window.driver().cycles(), 1);
    enter();
    now_ns = 61e6;  // the next step passes the freeze point: the restart
    ASSERT_TRUE(pump_until([&] { return window.driver().cycles() == 2; }));
    EXPECT_LE(window.driver().step_index(), 1);
    // Each batch of steps is told once, with the step it ends at.
    EXPECT_EQ(std::count(shown_steps.begin(), shown_steps.end(), 41), 1);
    EXPECT_EQ(std::count(shown_steps.begin(), shown_steps.end(), 61), 1);
}

TEST_F(Form1Test, AnimatesTheEngineItIsGiven) {
    EngineParameters other;
    other.gamma = 1.3;
    Form1 window(other);
    window.driver().advance();
    EXPECT_EQ(window.driver().geometry().gamma, 1.3);
    EXPECT_EQ(window.driver().parameters(), other);
}

}  // namespace
}  // namespace hcci
