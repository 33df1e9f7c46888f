// SPDX-License-Identifier: MIT
#include "apps/window/map_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

#include "apps/window/explore_exports.h"
#include "apps/window/file_filters.h"
#include "core/model/operating_map.h"
#include "core/report/map_table.h"
#include "core/report/number_text.h"
#include "core/report/output_format.h"
#include "core/report/parameter_messages.h"
#include "core/report/study_text.h"
#include "qt/plot/map_plot.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

// The plot shown smaller than it is drawn; a click is told in the plot's own pixels.
constexpr int shown_width = 1280;

class ClickablePicture : public QLabel {
public:
    ClickablePicture(QWidget* parent, std::function<void(QPointF)> clicked)
        : QLabel(parent), clicked_(std::move(clicked)) {
        setCursor(Qt::CrossCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const double scale = static_cast<double>(map_plot_size.width()) / shown_width;
        clicked_(event->position() * scale);
    }

private:
    std::function<void(QPointF)> clicked_;
};

// One axis: its parameter and range, filled about the engine's value.
struct AxisFields {
    QComboBox* parameter;
    QLineEdit *from, *to, *step;
    std::string range() const {
        return parameter->currentText().toStdString() + "=" + from->text().trimmed().toStdString() +
               ":" + to->text().trimmed().toStdString() + ":" +
               step->text().trimmed().toStdString();
    }
};

AxisFields axis_fields(QDialog& ask, QFormLayout& form, const EngineParameters& engine,
                       const QString& name, int chosen) {
    AxisFields axis{new QComboBox(&ask), new QLineEdit(&ask), new QLineEdit(&ask),
                    new QLineEdit(&ask)};
    for (const ParameterInfo& info : parameter_table()) {
        if (shapes(info, engine.model)) axis.parameter->addItem(text_of(info.name));
    }
    axis.parameter->setCurrentIndex(std::min(chosen, axis.parameter->count() - 1));
    const auto fill_range = [axis, &engine] {
        const ParameterInfo* info = find_parameter(axis.parameter->currentText().toStdString());
        const double now = engine.*info->member;
        const double span = std::max(std::abs(now) * 0.2, 1.0);
        axis.from->setText(QString::fromStdString(shortest_text(now - span / 2)));
        axis.to->setText(QString::fromStdString(shortest_text(now + span / 2)));
        axis.step->setText(QString::fromStdString(shortest_text(span / 20)));
    };
    QObject::connect(axis.parameter, &QComboBox::currentIndexChanged, &ask, fill_range);
    fill_range();
    form.addRow(name, axis.parameter);
    auto* range = new QHBoxLayout;
    for (QLineEdit* field : {axis.from, axis.to, axis.step}) range->addWidget(field);
    form.addRow(QStringLiteral("from, to (included), step"), range);
    return axis;
}

struct CalledOff {};

void tell(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("Operating map"), text);
}

}  // namespace

void map_in_dialog(QWidget* parent, const EngineParameters& engine,
                   const std::function<void(const EngineParameters&)>& load) {
    QDialog ask(parent);
    ask.setWindowTitle(QStringLiteral("Operating map"));
    auto* form = new QFormLayout(&ask);
    const AxisFields x = axis_fields(ask, *form, engine, QStringLiteral("Across (x)"), 0);
    const AxisFields y = axis_fields(ask, *form, engine, QStringLiteral("Up (y)"), 1);
    if (!asked_to_run(ask, *form)) return;

    const auto x_range = parse_study_range(x.range(), nullptr, "across");
    const auto y_range = parse_study_range(y.range(), nullptr, "up");
    for (const auto* range : {&x_range, &y_range}) {
        if (const auto* problem = std::get_if<std::string>(range)) {
            return tell(parent, QString::fromStdString(*problem));
        }
    }
    const auto grid = map_grid(std::get<StudyRange>(x_range), std::get<StudyRange>(y_range));
    if (!grid) return tell(parent, QStringLiteral("the map has more than a million points"));
    if (grid->x.parameter == grid->y.parameter) {
        return tell(parent, QStringLiteral("both axes vary the same parameter"));
    }

    // The table is kept whole here: the explorer shows it and offers it to save.
    std::string csv = map_csv_header(*grid, engine, {});
    const MapColumns columns = map_columns(std::string_view(csv).substr(csv.find('\n') + 1));
    MapTable table{.grid = *grid,
                   .model = std::string(engine.model),
                   .engine = changed_parameters(engine),
                   .cells = {}};
    std::optional<MapProblem> problem;
    try {
        QProgressDialog progress(QStringLiteral("Running the map\u2026"), QStringLiteral("Cancel"),
                                 0, 100, parent);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        problem = run_map(
            engine, *grid, {},
            [&](std::size_t point, const CycleAnalysis& analysis) {
                const std::string row = map_csv_row(*grid, point, analysis);
                csv += row;
                table.cells.push_back(*map_cell(columns, row));
            },
            [&](int done, int all) {
                progress.setValue(static_cast<int>(100LL * done / std::max(all, 1)));
                if (progress.wasCanceled()) throw CalledOff{};
            });
    } catch (const CalledOff&) {
        return;
    }
    if (problem) {
        const std::string at = problem->kind == MapProblem::Kind::refused_value
                                   ? ": " + problem_text(*problem->problem)
                                   : "";
        return tell(parent, QStringLiteral("The map stops at ") +
                                QString::fromStdString(shortest_text(problem->x) + ", " +
                                                       shortest_text(problem->y) + at));
    }
    std::string png = plot_map(table, {}, PlotFormat::png);
    QPixmap plot;
    plot.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<uint>(png.size()),
                      "PNG");

    QDialog shown(parent);
    shown.setWindowTitle(QStringLiteral("Operating map of ") + x.parameter->currentText() +
                         QStringLiteral(" and ") + y.parameter->currentText());
    auto* column = new QVBoxLayout(&shown);
    auto* said = new QLabel(QStringLiteral("A click on a cell loads that engine."), &shown);
    auto* scroll = new QScrollArea(&shown);
    auto* picture = new ClickablePicture(scroll, [&](QPointF place) {
        const std::optional<std::size_t> point = map_point_at(table, place);
        if (!point) return;
        load(map_engine(engine, *grid, *point));
        said->setText(
            QStringLiteral("Loaded ") + x.parameter->currentText() + QStringLiteral(" = ") +
            QString::fromStdString(shortest_text(grid->x_at(*point))) + QStringLiteral(", ") +
            y.parameter->currentText() + QStringLiteral(" = ") +
            QString::fromStdString(shortest_text(grid->y_at(*point))) + QStringLiteral("."));
    });
    picture->setPixmap(plot.scaledToWidth(shown_width, Qt::SmoothTransformation));
    scroll->setWidget(picture);
    column->addWidget(scroll, 1);
    auto* row = new QHBoxLayout;
    auto* save_table = new QPushButton(QStringLiteral("Save the table\u2026"), &shown);
    auto* save_plot = new QPushButton(QStringLiteral("Save the plot\u2026"), &shown);
    auto* close = new QPushButton(QStringLiteral("Close"), &shown);
    row->addWidget(said, 1);
    row->addWidget(save_table);
    row->addWidget(save_plot);
    row->addWidget(close);
    column->addLayout(row);
    QObject::connect(save_table, &QPushButton::clicked, &shown, [&] {
        save_file(&shown, QStringLiteral("Save the map's table"), QStringLiteral("map.csv"),
                  file_filter(OutputFormat::csv), [&] { return csv; });
    });
    QObject::connect(save_plot, &QPushButton::clicked, &shown, [&] {
        save_file(&shown, QStringLiteral("Save the map's plot"), QStringLiteral("map.png"),
                  file_filter(OutputFormat::png), [&] { return png; });
    });
    QObject::connect(close, &QPushButton::clicked, &shown, &QDialog::accept);
    shown.resize(shown_width + 60, 820);
    shown.exec();
}

}  // namespace hcci
