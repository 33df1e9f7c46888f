// SPDX-License-Identifier: MIT
#pragma once

#include <QChartView>
#include <QScatterSeries>
#include <QWidget>
#include <memory>
#include <vector>

#include "qt/plot/cycle_views.h"

class QHBoxLayout;
class QPushButton;

namespace hcci {

// One of the views an engineer reads, in a window: its charts stacked, a cursor at the step the
// picture shows, the nearest point read under the pointer, zoomed by dragging a rectangle (the
// right button zooms out) and reset to the view's own ranges.
class CycleViewWidget final : public QWidget {
    Q_OBJECT

public:
    explicit CycleViewWidget(const CycleView& view, QWidget* parent = nullptr);
    ~CycleViewWidget() override;

    const CycleView& view() const { return view_; }
    // Draws the view of this sweep, over the baseline's where there is one. The series are kept.
    void show_cycle(std::shared_ptr<const CycleSeries> current,
                    std::shared_ptr<const CycleSeries> baseline);
    // How a comparison's legend names the two engines ("this engine", "the baseline" unless
    // told): a parameter file's name, or "the defaults". Drawn with the next cycle shown.
    void set_engine_names(QString current, QString baseline);
    // The cursor at the step, from 0 to the sweep's last.
    void set_cursor_step(int step);
    void reset_zoom();
    // A control of the window's own, in the row beneath the charts, before the zoom's reset.
    void add_control(QWidget* control);

    // The charts as drawn, their data and all.
    const std::vector<BuiltChart>& charts() const { return charts_; }
    QChartView* chart_view(std::size_t chart) const { return views_.at(chart); }
    // What the pointer at that point of a chart's view reads: the nearest point of a line within
    // a few pixels (its line, value, angle and step), or nothing.
    QString hover_text(std::size_t chart, QPointF view_point) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    void rethin(std::size_t chart);
    void place_cursor(std::size_t chart);
    void add_cursor(BuiltChart& built);

    const CycleView& view_;
    std::shared_ptr<const CycleSeries> current_, baseline_;
    std::vector<QChartView*> views_;
    std::vector<BuiltChart> charts_;
    std::vector<QAbstractSeries*>
        cursors_;  // a line, or points on log p-log V; owned by the charts
    QHBoxLayout* controls_ = nullptr;
    QPushButton* reset_ = nullptr;
    QString current_name_ = QStringLiteral("this engine");
    QString baseline_name_ = QStringLiteral("the baseline");
    int cursor_step_ = 0;
    bool refilling_ = false;
};

}  // namespace hcci
