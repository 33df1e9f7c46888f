// SPDX-License-Identifier: MIT
#include "core/model/combustion_model.h"

#include <cmath>

namespace hcci {
namespace {

void hand_over_split(CombustionModel& m, const EngineGeometry& g) {
    m.main_split_pressure = m.united_pressure;
    m.aux_split_pressure = m.united_pressure;
    m.main_pressure = m.united_pressure;
    m.aux_pressure = m.united_pressure;
    m.main_split_temperature = m.united_temperature;
    m.aux_split_temperature = m.united_temperature;
    m.aux_temperature = m.united_temperature;
    m.main_temperature = m.united_temperature;
    m.main_split_volume = main_split_volume(g, m.piston_pos);
    m.aux_split_volume = aux_split_volume(g, m.piston_pos);
    m.split_piston_pos = m.piston_pos;
}

void hand_over_merge(CombustionModel& m, const EngineGeometry& g) {
    m.merged_temperature =
        m.main_temperature * g.main_share + m.aux_temperature * (1 - g.main_share);
    m.united_temperature = m.merged_temperature;
    m.merged_pressure = g.bdc_pressure * ((g.bdc_height / g.start_temperature) *
                                          (m.merged_temperature / m.piston_pos));
    m.merge_piston_pos = m.piston_pos;
    m.united_pressure = m.merged_pressure;
}

// Both chambers compressed or expanded adiabatically from the split state.
void update_divided(CombustionModel& m, const EngineGeometry& g) {
    m.main_volume = m.main_split_volume - (m.split_piston_pos - m.piston_pos) * g.main_share;
    m.aux_volume = m.aux_split_volume - (m.split_piston_pos - m.piston_pos) * (1 - g.main_share);
    m.main_pressure =
        m.main_split_pressure * std::pow(m.main_split_volume / m.main_volume, g.gamma);
    m.aux_pressure = m.aux_split_pressure * std::pow(m.aux_split_volume / m.aux_volume, g.gamma);
    m.main_temperature =
        m.main_split_temperature * std::pow(m.main_split_volume / m.main_volume, g.gamma - 1);
    m.aux_temperature =
        m.aux_split_temperature * std::pow(m.aux_split_volume / m.aux_volume, g.gamma - 1);
}

// The factors act on values computed afresh at every step, so they never compound.
void apply_aux_ignition(CombustionModel& m, const EngineGeometry& g, double crank_angle) {
    if (crank_angle >= g.aux_ignition_start && crank_angle <= g.aux_ignition_end) {
        // (78 - 75) / (1.8 - 1) is 3 / 0.8 exactly.
        const double divisor =
            (g.aux_ignition_end - g.aux_ignition_start) / (g.aux_ignition_factor - 1);
        const double factor = 1 + (crank_angle - g.aux_ignition_start) / divisor;
        m.aux_pressure = m.aux_pressure * factor;
        m.aux_temperature = m.aux_temperature * factor;
    }
    if (crank_angle > g.aux_ignition_end) {
        m.aux_pressure = m.aux_pressure * g.aux_ignition_factor;
        m.aux_temperature = m.aux_temperature * g.aux_ignition_factor;
    }
}

void update_united_from_merge(CombustionModel& m, const EngineGeometry& g) {
    m.united_pressure = m.merged_pressure * std::pow(m.merge_piston_pos / m.piston_pos, g.gamma);
    m.united_temperature =
        m.merged_temperature * std::pow(m.merge_piston_pos / m.piston_pos, g.gamma - 1);
}

void apply_main_ignition(CombustionModel& m, const EngineGeometry& g, double crank_angle) {
    if (crank_angle > g.main_ignition_start && crank_angle <= g.main_ignition_end) {
        const double factor =
            1 + ((g.main_ignition_rise * g.main_share) * (crank_angle - g.main_ignition_start)) /
                    (g.main_ignition_end - g.main_ignition_start);
        m.united_pressure = m.united_pressure * factor;
        m.united_temperature = m.united_temperature * factor;
    }
    if (crank_angle > g.main_ignition_end) {
        const double factor = 1 + g.main_ignition_rise * g.main_share;
        m.united_pressure = m.united_pressure * factor;
        m.united_temperature = m.united_temperature * factor;
    }
}

void update_model(CombustionModel& m, const EngineGeometry& g, int phase, double crank_angle,
                  double piston_pos) {
    m.piston_pos = piston_pos;
    switch (phase) {
        case 1: {
            const double ratio = g.bdc_height / m.piston_pos;
            m.united_pressure = g.bdc_pressure * std::pow(ratio, g.gamma);
            m.united_temperature = g.start_temperature * std::pow(ratio, g.gamma - 1);
            break;
        }
        case 2:
        case 4:
            update_divided(m, g);
            if (phase == 2) apply_aux_ignition(m, g, crank_angle);
            break;
        case 3:
            update_united_from_merge(m, g);
            apply_main_ignition(m, g, crank_angle);
            break;
        default:
            update_united_from_merge(m, g);
            break;
    }
}

void hand_over(CombustionModel& m, const EngineGeometry& g, int phase) {
    switch (phase) {
        case 1:
        case 3:
            hand_over_split(m, g);
            break;
        case 2:
        case 4:
            hand_over_merge(m, g);
            break;
        default:
            break;  // the expansion hands nothing over
    }
}

}  // namespace

void reset_model(CombustionModel& m, const EngineGeometry& g) {
    m.piston_pos = 2 * g.crank_radius;
    m.split_piston_pos = 0;
    m.merged_temperature = 0;
    m.main_split_pressure = 0;
    m.aux_split_pressure = 0;
    m.main_pressure = 0;
    m.aux_pressure = 0;
    m.main_split_temperature = 0;
    m.aux_split_temperature = 0;
    m.main_split_volume = 0;
    m.aux_split_volume = 0;
}

void step_model(CombustionModel& m, const EngineGeometry& g, int phase, double crank_angle,
                double piston_pos) {
    update_model(m, g, phase, crank_angle, piston_pos);
    hand_over(m, g, phase);
}

bool state_is_finite(const CombustionModel& m) {
    for (const double value :
         {m.piston_pos, m.united_pressure, m.united_temperature, m.main_pressure,
          m.main_temperature, m.main_volume, m.aux_pressure, m.aux_temperature, m.aux_volume}) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

}  // namespace hcci
