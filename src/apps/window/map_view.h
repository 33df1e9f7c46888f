// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

#include "core/model/engine_parameters.h"
#include "core/report/map_table.h"

class QLabel;

// A finished operating map as one of the explorer's views: its plot fitted to the tab, a click on
// a cell loading that engine beside it (the map stays, to try the next cell), and its table and
// plot offered to save.

namespace hcci {

struct MapResult {
    EngineParameters base;  // the engine the map varied
    MapTable table;
    std::string csv, png;
};

class MapView final : public QWidget {
    Q_OBJECT

public:
    MapView(MapResult result, std::function<void(const EngineParameters&)> load,
            QWidget* parent = nullptr);

    const MapResult& result() const { return result_; }
    // The engine of the cell under that point of the view, loaded and said; false off the maps.
    bool click(QPointF place);
    QString said() const;
    QString title() const;  // "Operating map of gamma and main_compression_ratio"

private:
    void fit_plot();

    MapResult result_;
    std::function<void(const EngineParameters&)> load_;
    QImage plot_;
    QLabel* picture_ = nullptr;
    QLabel* said_ = nullptr;
    QRectF shown_;  // where the plot lies in the picture's label
};

}  // namespace hcci
