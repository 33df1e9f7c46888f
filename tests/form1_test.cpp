#include "form1.h"
#include "qt_application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>

#include "window_layout.h"

namespace hcci {
namespace {

class Form1Test : public QtApplicationSuite {
protected:
    void send_key(int key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&form, &press);
    }
    void double_click(QWidget* target, QPoint at) {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(at),
                          target->mapToGlobal(QPointF(at)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    int ended_count() const { return ended; }

    Form1 form;
    int ended = 0;
    QMetaObject::Connection connection =
        QObject::connect(&form, &Form1::ended, [this] { ++ended; });
};

TEST_F(Form1Test, CaptionAndClientSizeAreExact) {
    EXPECT_EQ(form.windowTitle().size(), 115);
    EXPECT_EQ(form.windowTitle().toStdString(), std::string(form_caption));
    EXPECT_TRUE(form.windowTitle().startsWith(QString(9, ' ') + "Torvan HCCI"));
    EXPECT_EQ(form.size(), QSize(616, 741));
}

TEST_F(Form1Test, LabelsStandWhereTheLayoutPutsThem) {
    for (int i = 0; i < 8; ++i) {
        const LabelLayout& layout = label_layouts[static_cast<std::size_t>(i)];
        const QLabel* label = form.label(i);
        SCOPED_TRACE(std::string(layout.name));
        EXPECT_EQ(label->objectName().toStdString(), std::string(layout.name));
        EXPECT_EQ(label->text().toStdString(), std::string(layout.caption));
        EXPECT_EQ(label->geometry(), QRect(layout.left, layout.top, layout.width, layout.height));
        EXPECT_TRUE(label->wordWrap());
        EXPECT_TRUE(label->alignment() & Qt::AlignTop);
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->font().pixelSize(), layout.pixel_size);
        EXPECT_EQ(label->palette().color(QPalette::WindowText),
                  ImageSurface::to_qcolor(layout.text_color));
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white));
    }
    EXPECT_EQ(form.label(4)->palette().color(QPalette::WindowText), QColor(0, 0, 255));  // blue
    EXPECT_EQ(form.label(5)->palette().color(QPalette::WindowText), QColor(0, 192, 0));
    EXPECT_EQ(form.label(6)->palette().color(QPalette::WindowText), QColor(255, 0, 0));  // red
    EXPECT_TRUE(form.label(2)->alignment() & Qt::AlignRight);
    EXPECT_TRUE(form.label(7)->alignment() & Qt::AlignHCenter);
}

TEST_F(Form1Test, ReadoutShowsTheCrankAngleFromTopDeadCentre) {
    EXPECT_EQ(form.label(label8_index)->text(), "-180");
    for (int i = 0; i < 4501; ++i) form.driver().advance();
    form.update_readout();
    EXPECT_EQ(form.label(label8_index)->text(), "-91");
}

TEST_F(Form1Test, DoubleClickOnALabelDoesNothing) {
    for (int i = 0; i < 8; ++i) double_click(form.label(i), QPoint(3, 3));
    EXPECT_EQ(ended_count(), 0);
    EXPECT_NE(form.driver().state(), DriverState::ended);
}

TEST_F(Form1Test, DoubleClickOnTheWindowClearsAndEnds) {
    form.driver().advance();
    double_click(&form, QPoint(100, 400));
    EXPECT_EQ(ended_count(), 1);
    EXPECT_EQ(form.driver().state(), DriverState::ended);
    EXPECT_EQ(form.surface().image().pixelColor(100, 160), QColor(Qt::white));
}

TEST_F(Form1Test, EscapeAndClosingTheWindowEnd) {
    send_key(Qt::Key_Escape, QString(QChar(27)));
    EXPECT_EQ(ended_count(), 1);
    Form1 other;
    int other_ended = 0;
    QObject::connect(&other, &Form1::ended, [&] { ++other_ended; });
    QCloseEvent close;
    QApplication::sendEvent(&other, &close);
    EXPECT_EQ(other_ended, 1);
    EXPECT_EQ(other.driver().state(), DriverState::ended);
}

TEST_F(Form1Test, KeysWithoutACharacterDoNothing) {
    form.driver().advance();
    for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_F1, Qt::Key_Shift}) send_key(key, QString());
    EXPECT_EQ(ended_count(), 0);
    form.driver().advance();
    EXPECT_EQ(form.driver().pacing(), 50000);
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

TEST_F(Form1Test, EnterRestartsButTwoPressesHandledTogetherCancel) {
    form.show();
    ASSERT_TRUE(pump_until([&] { return form.driver().step_index() > 20; }));
    send_key(Qt::Key_Return, "\r");
    send_key(Qt::Key_Return, "\r");
    const int before = form.driver().step_index();
    ASSERT_TRUE(pump_until([&] { return form.driver().step_index() > before + 20; }));
    EXPECT_EQ(form.driver().cycles(), 1);

    send_key(Qt::Key_Return, "\r");
    EXPECT_TRUE(pump_until([&] { return form.driver().cycles() == 2; }));
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

}  // namespace
}  // namespace hcci
