# SPDX-License-Identifier: MIT
"""An independent reference for the predictive engine model's figures.

It is written apart from the C++ model, from the model's rules alone, and is used to write
the expected values of the C++ tests: the ignition angles (degrees after top dead centre),
the share of fuel at the united ignition, the work (J per litre displaced, IMEP in bar), the
heat released, the fuel burned, misfire, and the first-law balance W + dU - Q.

Units: volumes are heights over the whole piston area, pressures bar, temperatures K, and a
charge's mass is m = p V / T. Energies are bar x height units; over the displacement of 100
height units they are numerically J per litre, and W / 100 is the IMEP in bar.

Run: python3 predictive.py [--json]
"""
import argparse
import json
import math
import sys
from dataclasses import dataclass, field, replace

ANGLE_STEP = 0.02
LAST_ANGLE = 270.01


@dataclass(frozen=True)
class Parameters:
    main_compression_ratio: float = 12
    aux_compression_ratio: float = 50
    main_share: float = 0.75
    rod_length: float = 200
    gamma: float = 1.4
    start_temperature: float = 323  # K
    bdc_pressure: float = 1  # bar
    engine_speed: float = 1200  # rpm
    first_split_angle: float = 57  # crank degrees, 90 = top dead centre
    first_merge_angle: float = 79
    second_split_angle: float = 101
    second_merge_angle: float = 123
    equivalence_ratio: float = 0.3
    oxygen_percent: float = 21
    fuel_heating_value: float = 44.3e6  # J/kg
    stoichiometric_air_fuel_ratio: float = 15.1
    ignition_delay_prefactor: float = 1.3e-4  # ms
    ignition_delay_pressure_exponent: float = 1.05
    ignition_delay_phi_exponent: float = 0.77
    ignition_delay_oxygen_exponent: float = 1.41
    ignition_activation_energy: float = 33700  # cal/mol
    aux_burn_duration: float = 3  # degrees
    main_burn_duration: float = 10


# --- geometry --------------------------------------------------------------------------------

CRANK_RADIUS = 50.0


@dataclass(frozen=True)
class Geometry:
    main_share: float
    rod_length: float
    main_clearance: float
    aux_clearance: float
    total_clearance: float
    bdc_height: float
    pi: float


def make_geometry(p: Parameters) -> Geometry:
    main_clearance = ((p.main_share * 2) * CRANK_RADIUS) / (p.main_compression_ratio - 1)
    aux_clearance = (((1 - p.main_share) * 2) * CRANK_RADIUS) / (p.aux_compression_ratio - 1)
    total = main_clearance + aux_clearance
    return Geometry(p.main_share, p.rod_length, main_clearance, aux_clearance, total,
                    2 * CRANK_RADIUS + total, 4 * math.atan(1))


def piston_position(g: Geometry, angle: float) -> float:
    rad = (angle * g.pi) / 180
    crank_x = CRANK_RADIUS * math.cos(rad)
    crank_y = CRANK_RADIUS * math.sin(rad)
    return ((CRANK_RADIUS + g.rod_length) + g.total_clearance) - (
        crank_y + math.sqrt(g.rod_length ** 2 - crank_x ** 2))


def crank_angles():
    angle = -90.0
    while angle <= LAST_ANGLE:
        yield angle
        angle += ANGLE_STEP


def phase_of(p: Parameters, angle: float) -> int:
    if angle < p.first_split_angle:
        return 1
    if angle <= p.first_merge_angle:
        return 2
    if angle <= p.second_split_angle:
        return 3
    if angle <= p.second_merge_angle:
        return 4
    return 5


# --- charges and their fuel ------------------------------------------------------------------

@dataclass
class Unignited:
    u: float  # unburnt share of the fuel a unit of bottom-dead-centre charge mass held
    integral: float  # Livengood-Wu integral


@dataclass
class Ignited:
    theta: float  # crank angle of ignition
    u_ignition: float
    duration: float  # degrees
    u: float


@dataclass
class Charge:
    volume: float
    mass: float
    temperature: float
    unignited: Unignited | None
    ignited: list = field(default_factory=list)

    @property
    def pressure(self) -> float:
        return self.mass * self.temperature / self.volume

    def unburnt(self) -> float:
        return (self.unignited.u if self.unignited else 0.0) + sum(q.u for q in self.ignited)


def split(united: Charge, main_volume: float, aux_volume: float) -> tuple[Charge, Charge]:
    def part(volume):
        unignited = replace(united.unignited) if united.unignited else None
        return Charge(volume, united.mass * volume / united.volume, united.temperature,
                      unignited, [replace(q) for q in united.ignited])
    return part(main_volume), part(aux_volume)


def merge(a: Charge, b: Charge) -> Charge:
    mass = a.mass + b.mass
    temperature = (a.mass * a.temperature + b.mass * b.temperature) / mass
    weighted = [(c.mass / mass, c) for c in (a, b)]
    fuel = sum(w * c.unignited.u for w, c in weighted if c.unignited)
    unignited = None
    if any(c.unignited for c in (a, b)):
        integral = (sum(w * c.unignited.u * c.unignited.integral
                        for w, c in weighted if c.unignited) / fuel) if fuel > 0 else 0.0
        unignited = Unignited(fuel, integral)
    ignited = {}
    for w, c in weighted:
        for q in c.ignited:
            key = (q.theta, q.duration)
            if key in ignited:
                ignited[key].u += w * q.u
                ignited[key].u_ignition += w * q.u_ignition
            else:
                ignited[key] = Ignited(q.theta, w * q.u_ignition, q.duration, w * q.u)
    return Charge(a.volume + b.volume, mass, temperature, unignited, list(ignited.values()))


# --- chemistry -------------------------------------------------------------------------------

def ignition_delay_ms(p: Parameters, pressure: float, temperature: float,
                      phi: float | None = None, oxygen: float | None = None) -> float:
    phi = p.equivalence_ratio if phi is None else phi
    oxygen = p.oxygen_percent if oxygen is None else oxygen
    return (p.ignition_delay_prefactor
            * (pressure / 1.01325) ** -p.ignition_delay_pressure_exponent
            * phi ** -p.ignition_delay_phi_exponent
            * oxygen ** -p.ignition_delay_oxygen_exponent
            * math.exp(p.ignition_activation_energy / (1.987 * temperature)))


def adiabatic_temperature_rise(p: Parameters) -> float:
    fuel_fraction = p.equivalence_ratio / (p.equivalence_ratio + p.stoichiometric_air_fuel_ratio)
    return fuel_fraction * p.fuel_heating_value / (287 / (p.gamma - 1))


def wiebe_burnt(theta: float, q: Ignited) -> float:
    return 1 - math.exp(-5 * ((theta - q.theta) / q.duration) ** 3)


def advance(p: Parameters, c: Charge, name: str, volume: float, angle: float,
            ignitions: list) -> float:
    """One step of one charge; returns the heat released (bar x height)."""
    c.temperature *= (c.volume / volume) ** (p.gamma - 1)
    c.volume = volume
    pool = c.unignited
    if pool and pool.u > 0:
        seconds = ANGLE_STEP / (6 * p.engine_speed)
        pool.integral += seconds / (ignition_delay_ms(p, c.pressure, c.temperature) / 1000)
        if pool.integral >= 1:
            duration = p.aux_burn_duration if name == "aux" else p.main_burn_duration
            c.ignited.append(Ignited(angle, pool.u, duration, pool.u))
            c.unignited = None
            ignitions.append((name, angle - 90, pool.u))
    burnt = 0.0
    for q in c.ignited:
        u = q.u_ignition * (1 - wiebe_burnt(angle, q))
        burnt += q.u - u
        q.u = u
    rise = adiabatic_temperature_rise(p) * burnt
    c.temperature += rise
    return c.mass * rise / (p.gamma - 1)


def internal_energy(p: Parameters, charges) -> float:
    return sum(c.mass * c.temperature for c in charges) / (p.gamma - 1)


# --- the cycle -------------------------------------------------------------------------------

def run_cycle(p: Parameters) -> dict:
    g = make_geometry(p)
    united = Charge(g.bdc_height, p.bdc_pressure * g.bdc_height / p.start_temperature,
                    p.start_temperature, Unignited(1.0, 0.0))
    chambers = None  # (main, aux) while divided
    split_volumes = split_piston = None
    piston_prev = g.bdc_height
    start_energy = internal_energy(p, [united])
    work = heat = 0.0
    ignitions = []
    for angle in crank_angles():
        piston = piston_position(g, angle)
        divided = phase_of(p, angle) in (2, 4)
        if divided and chambers is None:
            travel = piston_prev - g.total_clearance
            split_volumes = (g.main_clearance + travel * g.main_share,
                             g.aux_clearance + travel * (1 - g.main_share))
            split_piston = piston_prev
            chambers = split(united, *split_volumes)
        elif not divided and chambers is not None:
            united = merge(*chambers)
            chambers = None
        if chambers:
            closer = split_piston - piston
            volumes = (split_volumes[0] - closer * g.main_share,
                       split_volumes[1] - closer * (1 - g.main_share))
            steps = zip(chambers, ("main", "aux"), volumes)
        else:
            steps = [(united, "united", piston)]
        for c, name, volume in steps:
            before_p, before_v = c.pressure, c.volume
            heat += advance(p, c, name, volume, angle, ignitions)
            work += 0.5 * (before_p + c.pressure) * (c.volume - before_v)
        piston_prev = piston
    final = [united] if chambers is None else list(chambers)
    burned = 1 - sum(c.mass * c.unburnt() for c in final) / sum(c.mass for c in final)
    energy_change = internal_energy(p, final) - start_energy
    aux = [i for i in ignitions if i[0] == "aux"]
    # Only the united charge's own pool: an ignited auxiliary pool merged into it keeps its angle.
    main = [i for i in ignitions if i[0] == "united"]
    return {
        "ignitions": [{"charge": n, "angle_atdc": a, "share_of_fuel": u} for n, a, u in ignitions],
        "aux_ignition_atdc": aux[0][1] if aux else None,
        "united_ignition_atdc": main[0][1] if main else None,
        "united_ignition_share": main[0][2] if main else None,
        "work_j_per_l": work,
        "imep_bar": work / 100,
        "heat_released_j_per_l": heat,
        "fuel_burned": burned,
        "misfire": burned < 0.95,
        "first_law_residual_j_per_l": work + energy_change - heat,
    }


CASES = [
    ("defaults", {}),
    ("start_temperature 313 K", {"start_temperature": 313}),
    ("start_temperature 343 K", {"start_temperature": 343}),
    ("engine_speed 1800 rpm", {"engine_speed": 1800}),
    ("first merge -5 ATDC", {"first_merge_angle": 85}),
    ("first merge -15 ATDC", {"first_merge_angle": 75}),
]


def delay_check() -> float:
    return ignition_delay_ms(Parameters(), 15 * 1.01325, 1000, phi=0.5, oxygen=21)


def show(value, digits):
    return "none" if value is None else f"{value:.{digits}f}"


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--json", action="store_true", help="print the figures as JSON")
    args = parser.parse_args(argv)
    results = {name: run_cycle(Parameters(**changes)) for name, changes in CASES}
    tau = delay_check()
    if args.json:
        json.dump({"cases": results, "ignition_delay_check_ms": tau}, sys.stdout, indent=2)
        print()
        return 0
    for name, r in results.items():
        print(f"{name}:")
        print(f"  auxiliary ignition   {show(r['aux_ignition_atdc'], 2)} deg ATDC")
        print(f"  united ignition      {show(r['united_ignition_atdc'], 2)} deg ATDC, "
              f"share of fuel {show(r['united_ignition_share'], 3)}")
        for n in r["ignitions"]:
            print(f"    ignition: {n['charge']} at {n['angle_atdc']:.2f}, share {n['share_of_fuel']:.4f}")
        print(f"  W                    {r['work_j_per_l']:.2f} J/L (IMEP {r['imep_bar']:.3f} bar)")
        print(f"  heat released        {r['heat_released_j_per_l']:.2f} J/L")
        print(f"  fuel burned          {r['fuel_burned']:.4f}")
        print(f"  misfire              {'yes' if r['misfire'] else 'no'}")
        print(f"  W + dU - Q           {r['first_law_residual_j_per_l']:.3g} J/L")
    print(f"ignition delay, 15 atm, 1000 K, phi 0.5, 21 % O2: {tau:.2f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
