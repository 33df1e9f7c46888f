// SPDX-License-Identifier: MIT
#include "apps/window/map_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <cmath>

#include "apps/window/explore_exports.h"
#include "core/model/operating_map.h"
#include "core/report/map_table.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/study_text.h"
#include "qt/plot/map_plot.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

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

std::variant<MapResult, MapProblem> run_map_result(const EngineParameters& engine,
                                                   const MapGrid& grid,
                                                   const std::function<void(int, int)>& progress) {
    // The table is kept whole here: the explorer shows it and offers it to save.
    std::string csv = map_csv_header(grid, engine, {});
    const MapColumns columns = map_columns(std::string_view(csv).substr(csv.find('\n') + 1));
    MapTable table{.grid = grid,
                   .model = std::string(engine.model),
                   .engine = changed_parameters(engine),
                   .cells = {}};
    const std::optional<MapProblem> problem = run_map(
        engine, grid, {},
        [&](std::size_t point, const CycleAnalysis& analysis) {
            const std::string row = map_csv_row(grid, point, analysis);
            csv += row;
            table.cells.push_back(*map_cell(columns, row));
        },
        progress);
    if (problem) return *problem;
    std::string png = plot_map(table, {}, PlotFormat::png);
    return MapResult{
        .base = engine, .table = std::move(table), .csv = std::move(csv), .png = std::move(png)};
}

std::optional<MapResult> map_in_dialog(QWidget* parent, const EngineParameters& engine) {
    QDialog ask(parent);
    ask.setWindowTitle(QStringLiteral("Operating map"));
    auto* form = new QFormLayout(&ask);
    const AxisFields x = axis_fields(ask, *form, engine, QStringLiteral("Across (x)"), 0);
    const AxisFields y = axis_fields(ask, *form, engine, QStringLiteral("Up (y)"), 1);
    if (!asked_to_run(ask, *form)) return std::nullopt;

    const auto x_range = parse_study_range(x.range(), nullptr, "across");
    const auto y_range = parse_study_range(y.range(), nullptr, "up");
    for (const auto* range : {&x_range, &y_range}) {
        if (const auto* problem = std::get_if<std::string>(range)) {
            tell(parent, QString::fromStdString(*problem));
            return std::nullopt;
        }
    }
    const auto grid = map_grid(std::get<StudyRange>(x_range), std::get<StudyRange>(y_range));
    if (!grid) {
        tell(parent, QStringLiteral("the map has more than a million points"));
        return std::nullopt;
    }
    if (grid->x.parameter == grid->y.parameter) {
        tell(parent, QStringLiteral("both axes vary the same parameter"));
        return std::nullopt;
    }

    std::variant<MapResult, MapProblem> map;
    try {
        QProgressDialog progress(QStringLiteral("Running the map\u2026"), QStringLiteral("Cancel"),
                                 0, 100, parent);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        map = run_map_result(engine, *grid, [&](int done, int all) {
            progress.setValue(static_cast<int>(100LL * done / std::max(all, 1)));
            if (progress.wasCanceled()) throw CalledOff{};
        });
    } catch (const CalledOff&) {
        return std::nullopt;
    }
    if (const auto* problem = std::get_if<MapProblem>(&map)) {
        const std::string at = problem->kind == MapProblem::Kind::refused_value
                                   ? ": " + problem_text(*problem->problem)
                                   : "";
        tell(parent, QStringLiteral("The map stops at ") +
                         QString::fromStdString(shortest_text(problem->x) + ", " +
                                                shortest_text(problem->y) + at));
        return std::nullopt;
    }
    return std::get<MapResult>(std::move(map));
}

}  // namespace hcci
