# SPDX-License-Identifier: MIT
"""Independent reference for the cycle analysis's figures.

A second, plain-Python model of one sweep of the two-chamber engine and of its analysis, written
without the C++ code, in IEEE doubles and in the same order of arithmetic, so that its figures
agree with the program's to about 1e-12. It is used to write the expected values in the C++
tests: work and IMEP, heat-release phasing, peaks and rise rates, the first-law energy balance
(energy added = W + dU, the energy of each merge), the per-chamber Otto values and the ringing
intensity at an engine speed.

    python3 first_law.py                 the figures of the four reference engines as a table
    python3 first_law.py --json          the same as JSON, every number in full
    python3 first_law.py --compare-csv FILE [--engine KEY]
                                         the worst relative difference against a CSV written by
                                         `hcci-cycle-export csv` for the same engine

Units: pressures in bar, volumes as heights over the whole piston area (the stroke is 100), so
work and energy are bar times drawing units; angles in the results are degrees after top dead
centre (crank angle - 90).
"""

import argparse
import csv
import dataclasses
import json
import math
import sys

CRANK_RADIUS = 50.0
TOP_DEAD_CENTRE = 90.0
STEPS = 18001
BETA_S = 0.05e-3        # ringing: the time constant of the pressure wave, 0.05 ms
GAS_CONSTANT = 287.0    # J/(kg K)
RINGING_LIMIT = 5.0     # MW/m2


@dataclasses.dataclass(frozen=True)
class Engine:
    main_compression_ratio: float = 12.0
    aux_compression_ratio: float = 50.0
    main_share: float = 0.75
    rod_length: float = 200.0
    gamma: float = 1.4
    start_temperature: float = 323.0
    first_split_angle: float = 57.0
    first_merge_angle: float = 79.0
    second_split_angle: float = 101.0
    second_merge_angle: float = 123.0
    aux_ignition_start: float = 75.0
    aux_ignition_end: float = 78.0
    aux_ignition_factor: float = 1.8
    main_ignition_start: float = 83.0
    main_ignition_end: float = 88.0
    main_ignition_rise: float = 0.8
    engine_speed: float = 1200.0   # rpm
    bdc_pressure: float = 1.0      # bar


ENGINES = {
    "a": ("the reference engine", Engine()),
    "b": ("no main ignition", Engine(main_ignition_rise=0.0)),
    "c": ("motored", Engine(aux_ignition_factor=1.0, main_ignition_rise=0.0)),
    "d": ("gamma 1.3, main ratio 14, aux ignition from 74, 1800 rpm, 1.5 bar",
          Engine(gamma=1.3, main_compression_ratio=14.0, aux_ignition_start=74.0,
                 engine_speed=1800.0, bdc_pressure=1.5)),
}


def crank_angles():
    """-90 and then repeated additions of 0.02, as the cycle driver builds them."""
    angle = -90.0
    while angle <= 270.01:
        yield angle
        angle += 0.02


def phase_of(e, angle):
    if angle < e.first_split_angle:
        return 1
    if angle <= e.first_merge_angle:
        return 2
    if angle <= e.second_split_angle:
        return 3
    if angle <= e.second_merge_angle:
        return 4
    return 5


def divided(phase):
    return phase in (2, 4)


class Model:
    """The chamber state of one sweep; step() = copies, piston, update; then hand_over()."""

    def __init__(self, e):
        self.e = e
        self.gm1 = e.gamma - 1
        self.main_clearance = ((e.main_share * 2) * CRANK_RADIUS) / (e.main_compression_ratio - 1)
        self.aux_clearance = (((1 - e.main_share) * 2) * CRANK_RADIUS) / (e.aux_compression_ratio - 1)
        self.total_clearance = self.main_clearance + self.aux_clearance
        self.bdc_height = 2 * CRANK_RADIUS + self.total_clearance
        if e.aux_ignition_factor - 1 == 0:
            self.aux_ramp_divisor = math.inf   # what the division by zero gives in IEEE doubles
        else:
            self.aux_ramp_divisor = (e.aux_ignition_end - e.aux_ignition_start) / (e.aux_ignition_factor - 1)
        self.piston_pos = 0.0
        self.united_p = self.united_t = 0.0
        self.main_p = self.main_t = self.main_v = 0.0
        self.aux_p = self.aux_t = self.aux_v = 0.0
        self.main_split_p = self.aux_split_p = self.main_split_t = self.aux_split_t = 0.0
        self.main_split_v = self.aux_split_v = self.split_piston_pos = 0.0
        self.merged_p = self.merged_t = self.merge_piston_pos = 0.0
        self.prev_piston_pos = self.prev_united_p = self.prev_main_p = self.prev_aux_p = 0.0

    def step(self, angle, phase):
        e = self.e
        if divided(phase):
            self.prev_aux_p, self.prev_main_p = self.aux_p, self.main_p
        else:
            self.prev_united_p = self.united_p
        self.prev_piston_pos = self.piston_pos
        rad = (angle * math.pi) / 180
        crank_x = CRANK_RADIUS * math.cos(rad)
        crank_y = CRANK_RADIUS * math.sin(rad)
        self.piston_pos = ((CRANK_RADIUS + e.rod_length) + self.total_clearance) - (
            crank_y + math.sqrt(math.pow(e.rod_length, 2) - math.pow(crank_x, 2)))
        if phase == 1:
            ratio = self.bdc_height / self.piston_pos
            self.united_p = e.bdc_pressure * math.pow(ratio, e.gamma)
            self.united_t = e.start_temperature * math.pow(ratio, self.gm1)
        elif divided(phase):
            self.main_v = self.main_split_v - (self.split_piston_pos - self.piston_pos) * e.main_share
            self.aux_v = self.aux_split_v - (self.split_piston_pos - self.piston_pos) * (1 - e.main_share)
            main_ratio = self.main_split_v / self.main_v
            aux_ratio = self.aux_split_v / self.aux_v
            self.main_p = self.main_split_p * math.pow(main_ratio, e.gamma)
            self.aux_p = self.aux_split_p * math.pow(aux_ratio, e.gamma)
            self.main_t = self.main_split_t * math.pow(main_ratio, self.gm1)
            self.aux_t = self.aux_split_t * math.pow(aux_ratio, self.gm1)
            if phase == 2:
                factor = 1.0
                if e.aux_ignition_start <= angle <= e.aux_ignition_end:
                    factor = 1 + (angle - e.aux_ignition_start) / self.aux_ramp_divisor
                if angle > e.aux_ignition_end:
                    factor = e.aux_ignition_factor
                if factor != 1.0:
                    self.aux_p *= factor
                    self.aux_t *= factor
        else:
            ratio = self.merge_piston_pos / self.piston_pos
            self.united_p = self.merged_p * math.pow(ratio, e.gamma)
            self.united_t = self.merged_t * math.pow(ratio, self.gm1)
            if phase == 3:
                if e.main_ignition_start < angle <= e.main_ignition_end:
                    factor = 1 + ((e.main_ignition_rise * e.main_share) * (angle - e.main_ignition_start)) / (
                        e.main_ignition_end - e.main_ignition_start)
                    self.united_p *= factor
                    self.united_t *= factor
                if angle > e.main_ignition_end:
                    factor = 1 + e.main_ignition_rise * e.main_share
                    self.united_p *= factor
                    self.united_t *= factor

    def hand_over(self, phase):
        e = self.e
        if phase in (1, 3):
            self.main_split_p = self.aux_split_p = self.main_p = self.aux_p = self.united_p
            self.main_split_t = self.aux_split_t = self.aux_t = self.main_t = self.united_t
            self.main_split_v = self.main_clearance + (self.piston_pos - self.total_clearance) * e.main_share
            self.aux_split_v = self.aux_clearance + (self.piston_pos - self.total_clearance) * (1 - e.main_share)
            self.split_piston_pos = self.piston_pos
        elif divided(phase):
            self.merged_t = self.main_t * e.main_share + self.aux_t * (1 - e.main_share)
            self.united_t = self.merged_t
            self.merged_p = e.bdc_pressure * (
                (self.bdc_height / e.start_temperature) * (self.merged_t / self.piston_pos))
            self.merge_piston_pos = self.piston_pos
            self.united_p = self.merged_p

    def internal_energy(self, phase):
        """U = sum of p V / (gamma - 1) over the charges present."""
        if divided(phase):
            return (self.main_p * self.main_v + self.aux_p * self.aux_v) / self.gm1
        return (self.united_p * self.piston_pos) / self.gm1


def sweep(e):
    """Yields (index, angle, phase, model) after each step's update; the caller then hands over."""
    m = Model(e)
    for index, angle in enumerate(crank_angles()):
        phase = phase_of(e, angle)
        m.step(angle, phase)
        yield index, angle, phase, m


class Peak:
    def __init__(self):
        self.value, self.step, self.deg = -math.inf, -1, math.nan

    def take(self, value, step, angle):
        if value > self.value:
            self.value, self.step, self.deg = value, step, angle - TOP_DEAD_CENTRE

    def as_dict(self):
        return {"value": self.value, "step": self.step, "deg": self.deg}


def otto(ratio, gamma):
    return 1 - math.pow(ratio, 1 - gamma)


def ringing_mw_m2(dpdt_bar_ms, p_max_bar, t_max_k, gamma):
    dpdt = dpdt_bar_ms * 1e8     # Pa/s
    p_max = p_max_bar * 1e5      # Pa
    watts = (BETA_S * dpdt) ** 2 / (2 * gamma * p_max) * math.sqrt(gamma * GAS_CONSTANT * t_max_k)
    return watts / 1e6


def analyse(e):
    g = e.gamma
    work = work_scale = heat_total = 0.0
    heat_points = []
    peak = {k: Peak() for k in ("united_p", "united_t", "main_p", "main_t", "aux_p", "aux_t")}
    rise = {k: Peak() for k in ("united", "main", "aux")}
    rise_off_merge = Peak()      # united, leaving out the first step after each merge
    merges = []
    prev_phase, prev_angle, prev_main_v, prev_aux_v = 0, 0.0, 0.0, 0.0
    u_start = u_end = None

    def segment(p0, p1, v0, v1, dv, angle):
        nonlocal work, work_scale
        mean_p = 0.5 * (p0 + p1)
        dp = p1 - p0
        work += mean_p * dv
        work_scale += abs(mean_p * dv)
        return (g / (g - 1) * mean_p * dv + 1 / (g - 1) * (0.5 * (v0 + v1)) * dp,
                dp / (angle - prev_angle))

    for i, angle, phase, m in sweep(e):
        if divided(phase):
            for key in ("main_p", "main_t", "aux_p", "aux_t"):
                peak[key].take(getattr(m, key), i, angle)
        else:
            peak["united_p"].take(m.united_p, i, angle)
            peak["united_t"].take(m.united_t, i, angle)
        if i > 0:
            travel = m.piston_pos - m.prev_piston_pos
            if divided(phase):
                first = not divided(prev_phase)
                h_main, rise_main = segment(m.prev_main_p, m.main_p,
                                            m.main_split_v if first else prev_main_v, m.main_v,
                                            e.main_share * travel, angle)
                h_aux, rise_aux = segment(m.prev_aux_p, m.aux_p, m.aux_split_v if first else prev_aux_v,
                                          m.aux_v, (1 - e.main_share) * travel, angle)
                heat = h_main + h_aux
                rise["main"].take(rise_main, i, angle)
                rise["aux"].take(rise_aux, i, angle)
            else:
                heat, rise_united = segment(m.prev_united_p, m.united_p, m.prev_piston_pos, m.piston_pos,
                                            travel, angle)
                rise["united"].take(rise_united, i, angle)
                if not divided(prev_phase):
                    rise_off_merge.take(rise_united, i, angle)
            heat_points.append((prev_angle, angle, heat))
            heat_total += heat
        prev_phase, prev_angle, prev_main_v, prev_aux_v = phase, angle, m.main_v, m.aux_v
        # A merge is the hand-over at the last step of a division, at fixed volume.
        last_of_phase = phase != phase_of(e, angle + 0.02)
        before = m.internal_energy(phase)
        main_p, aux_p = m.main_p, m.aux_p
        m.hand_over(phase)
        if i == 0:
            u_start = m.internal_energy(phase)
        if i == STEPS - 1:
            u_end = m.internal_energy(phase)
        if last_of_phase and divided(phase):
            merges.append({"step": i, "deg": angle - TOP_DEAD_CENTRE, "main_pressure_before": main_p,
                           "aux_pressure_before": aux_p, "merged_pressure_after": m.united_p,
                           "energy": m.internal_energy(1) - before})
        if last_of_phase and phase == 1:
            first_split = (m.main_split_v, m.aux_split_v, m.split_piston_pos)

    # Heat-release phasing: the step's heat spread evenly over its angle.
    # Rounding and the trapezoids alone release a trace of heat in an adiabatic cycle: that is none.
    heat_released = heat_total > 1e-9 * work_scale
    phasing = {}
    if heat_released:
        released, targets = 0.0, [(0.1, "ca10_deg"), (0.5, "ca50_deg"), (0.9, "ca90_deg")]
        for a0, a1, h in heat_points:
            before = released
            released += h
            while targets and released >= targets[0][0] * heat_total:
                within = (targets[0][0] * heat_total - before) / h
                phasing[targets.pop(0)[1]] = a0 + within * (a1 - a0) - TOP_DEAD_CENTRE
            if not targets:
                break

    # The compression ratio each chamber's gas sees: its share of the bottom-dead-centre volume at
    # the first split over its clearance.
    main_split_v, aux_split_v, split_piston_pos = first_split
    r_united = m.bdc_height / m.total_clearance
    r_main = (main_split_v / split_piston_pos) * m.bdc_height / m.main_clearance
    r_aux = (aux_split_v / split_piston_pos) * m.bdc_height / m.aux_clearance

    d_u = u_end - u_start
    energy_added = work + d_u
    merge_sum = sum(x["energy"] for x in merges)
    per_ms = 6 * e.engine_speed / 1000   # crank degrees per millisecond
    charges = {}
    for name, r in (("united", rise_off_merge), ("main", rise["main"]), ("aux", rise["aux"])):
        dpdt = r.value * per_ms
        ri = ringing_mw_m2(dpdt, peak[name + "_p"].value, peak[name + "_t"].value, g)
        charges[name] = {"max_rise_bar_per_deg": r.value, "max_rise_step": r.step, "max_rise_deg": r.deg,
                         "max_dpdt_bar_per_ms": dpdt, "peak_pressure_bar": peak[name + "_p"].value,
                         "peak_pressure_step": peak[name + "_p"].step,
                         "peak_temperature_k": peak[name + "_t"].value, "ringing_mw_m2": ri,
                         "ringing_over_limit": ri > RINGING_LIMIT}
    charges["united"]["max_rise_with_merge_steps_bar_per_deg"] = rise["united"].value
    charges["united"]["max_rise_with_merge_steps_step"] = rise["united"].step
    return {
        "work": work, "imep_bar": work / (2 * CRANK_RADIUS), "heat_release": heat_total,
        "work_over_heat_release": work / heat_total if heat_released else None,
        "ca10_deg": phasing.get("ca10_deg"), "ca50_deg": phasing.get("ca50_deg"),
        "ca90_deg": phasing.get("ca90_deg"),
        "u_start": u_start, "u_end": u_end, "delta_u": d_u, "energy_added": energy_added,
        "indicated_efficiency": work / energy_added if energy_added > 0 else None,
        "merges": merges, "merge_energy_sum": merge_sum,
        "energy_added_minus_merges": energy_added - merge_sum,
        "compression_ratio_united": r_united, "compression_ratio_main": r_main,
        "compression_ratio_aux": r_aux, "otto_united": otto(r_united, g), "otto_main": otto(r_main, g),
        "otto_aux": otto(r_aux, g), "charges": charges,
    }


def fmt(x):
    if x is None:
        return "undefined"
    if isinstance(x, bool):
        return "yes" if x else "no"
    if isinstance(x, (int, str)):
        return str(x)
    return "%.10g" % x


def print_table(key, title, engine, r):
    changed = {f.name: getattr(engine, f.name) for f in dataclasses.fields(engine)
               if getattr(engine, f.name) != f.default}
    print("engine (%s): %s  %s" % (key, title, changed or ""))
    rows = [(k, r[k]) for k in ("work", "imep_bar", "heat_release", "work_over_heat_release", "ca10_deg",
                                "ca50_deg", "ca90_deg", "u_start", "u_end", "delta_u", "energy_added",
                                "indicated_efficiency", "merge_energy_sum", "energy_added_minus_merges",
                                "compression_ratio_united", "compression_ratio_main",
                                "compression_ratio_aux", "otto_united", "otto_main", "otto_aux")]
    for k, v in rows:
        print("  %-40s %s" % (k, fmt(v)))
    for n, x in enumerate(r["merges"], 1):
        print("  merge %d at %s deg (step %d): main %s, aux %s -> %s bar, energy %s"
              % (n, fmt(x["deg"]), x["step"], fmt(x["main_pressure_before"]),
                 fmt(x["aux_pressure_before"]), fmt(x["merged_pressure_after"]), fmt(x["energy"])))
    charges = r["charges"]
    print("  %-40s %-18s %-18s %s" % ("charge", "united", "main", "aux"))
    for k in charges["united"]:
        print("  %-40s %s" % (k, " ".join("%-18s" % fmt(charges[c].get(k, "")) for c in charges)))
    print()


def compare_csv(path, engine):
    """Worst relative difference of every pressure and temperature (and piston_pos) in the CSV."""
    columns = {"piston_pos": "piston_pos", "united_pressure": "united_p", "united_temperature": "united_t",
               "main_pressure": "main_p", "main_temperature": "main_t", "aux_pressure": "aux_p",
               "aux_temperature": "aux_t"}
    worst = (0.0, None, None)
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    if len(rows) != STEPS:
        raise SystemExit("%s: %d rows, expected %d" % (path, len(rows), STEPS))
    for (i, angle, phase, m), row in zip(sweep(engine), rows):
        m.hand_over(phase)   # the CSV holds each step's values after its hand-over
        if int(row["phase"]) != phase or float(row["crank_angle"]) != angle:
            raise SystemExit("step %d: phase or angle differs" % i)
        for column, attr in columns.items():
            if row[column] == "":
                continue
            ours = getattr(m, attr)
            rel = abs(float(row[column]) - ours) / abs(ours)
            if rel > worst[0]:
                worst = (rel, i, column)
    return worst


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--json", action="store_true", help="print the figures as JSON")
    parser.add_argument("--compare-csv", metavar="FILE", help="compare with hcci-cycle-export csv output")
    parser.add_argument("--engine", default="a", choices=sorted(ENGINES), help="engine for --compare-csv")
    args = parser.parse_args(argv)
    if args.compare_csv:
        rel, step, column = compare_csv(args.compare_csv, ENGINES[args.engine][1])
        print("worst relative difference %.3g (step %s, %s)" % (rel, step, column))
        return 0
    results = {k: analyse(e) for k, (_, e) in ENGINES.items()}
    if args.json:
        json.dump({k: {"title": ENGINES[k][0], "parameters": dataclasses.asdict(ENGINES[k][1]),
                       "figures": r} for k, r in results.items()}, sys.stdout, indent=2)
        print()
        return 0
    for k, r in results.items():
        print_table(k, ENGINES[k][0], ENGINES[k][1], r)
    return 0


if __name__ == "__main__":
    sys.exit(main())
