// SPDX-License-Identifier: MIT
#include "apps/window/map_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "apps/window/explore_exports.h"
#include "apps/window/file_filters.h"
#include "core/model/operating_map.h"
#include "core/report/number_text.h"
#include "qt/plot/map_plot.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

// The window of its own: two thirds of the plot's size, its six panels' numbers readable.
constexpr int larger_width = 1280;

// The plot's label: it tells where a click landed in its own pixels, and when its room changed.
class ClickableLabel final : public QLabel {
public:
    ClickableLabel(QWidget* parent, std::function<void(QPointF)> clicked,
                   std::function<void()> resized)
        : QLabel(parent), clicked_(std::move(clicked)), resized_(std::move(resized)) {
        setCursor(Qt::CrossCursor);
        setAlignment(Qt::AlignCenter);
        // The plot is fitted to the room, never the room to the plot.
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { clicked_(event->position()); }
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        resized_();
    }

private:
    std::function<void(QPointF)> clicked_;
    std::function<void()> resized_;
};

}  // namespace

MapView::MapView(MapResult result, std::function<void(const EngineParameters&)> load,
                 QWidget* parent)
    : QWidget(parent), result_(std::move(result)), load_(std::move(load)) {
    setObjectName(QStringLiteral("map"));
    plot_.loadFromData(reinterpret_cast<const uchar*>(result_.png.data()),
                       static_cast<int>(result_.png.size()), "PNG");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    picture_ = new ClickableLabel(
        this, [this](QPointF place) { click(place); }, [this] { fit_plot(); });
    column->addWidget(picture_, 1);
    said_ = new QLabel(QStringLiteral("A click on a cell loads that engine; the map stays."), this);
    said_->setWordWrap(true);
    column->addWidget(said_);
    auto* row = new QHBoxLayout;
    auto* larger = new QPushButton(QStringLiteral("In a window of its own"), this);
    larger->setToolTip(QStringLiteral("The map larger, beside the explorer; its cells load too"));
    auto* save_table = new QPushButton(QStringLiteral("Save the table\u2026"), this);
    auto* save_plot = new QPushButton(QStringLiteral("Save the plot\u2026"), this);
    row->addStretch(1);
    row->addWidget(larger);
    row->addWidget(save_table);
    row->addWidget(save_plot);
    column->addLayout(row);
    // A window of the explorer's own: it stays when this map gives way to another.
    connect(larger, &QPushButton::clicked, this, [this] {
        auto* own = new MapView(result_, load_, window());
        own->setWindowFlag(Qt::Window);
        own->setAttribute(Qt::WA_DeleteOnClose);
        own->setWindowTitle(title());
        own->resize(larger_width, larger_width * 9 / 16 + 80);
        own->show();
    });
    connect(save_table, &QPushButton::clicked, this, [this] {
        save_file(this, QStringLiteral("Save the map's table"), QStringLiteral("map.csv"),
                  file_filter(OutputFormat::csv), [this] { return result_.csv; });
    });
    connect(save_plot, &QPushButton::clicked, this, [this] {
        save_file(this, QStringLiteral("Save the map's plot"), QStringLiteral("map.png"),
                  file_filter(OutputFormat::png), [this] { return result_.png; });
    });
}

bool MapView::click(QPointF place) {
    if (shown_.isEmpty() || !shown_.contains(place)) return false;
    const double scale = plot_.width() / shown_.width();
    const std::optional<std::size_t> point =
        map_point_at(result_.table, (place - shown_.topLeft()) * scale);
    if (!point) return false;
    const MapGrid& grid = result_.table.grid;
    load_(map_engine(result_.base, grid, *point));
    said_->setText(QStringLiteral("Loaded ") + text_of(grid.x.parameter->name) +
                   QStringLiteral(" = ") +
                   QString::fromStdString(shortest_text(grid.x_at(*point))) + QStringLiteral(", ") +
                   text_of(grid.y.parameter->name) + QStringLiteral(" = ") +
                   QString::fromStdString(shortest_text(grid.y_at(*point))) + QStringLiteral("."));
    return true;
}

QString MapView::said() const {
    return said_->text();
}

QString MapView::title() const {
    const MapGrid& grid = result_.table.grid;
    return QStringLiteral("Operating map of ") + text_of(grid.x.parameter->name) +
           QStringLiteral(" and ") + text_of(grid.y.parameter->name);
}

void MapView::fit_plot() {
    if (plot_.isNull()) return;
    const QSize room = picture_->contentsRect().size();
    const QImage fitted = plot_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picture_->setPixmap(QPixmap::fromImage(fitted));
    // Centred in the label, as its alignment puts it.
    shown_ = QRectF(
        QPointF((room.width() - fitted.width()) / 2.0, (room.height() - fitted.height()) / 2.0),
        QSizeF(fitted.size()));
}

}  // namespace hcci
