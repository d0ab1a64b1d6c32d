"""Gravity compensation on the shipped arm: the joints apply tau = generalized_gravity(q),
the torques that cancel the weight of the links at q, and forward dynamics (`aba`)
integrated with fourth-order Runge-Kutta keeps the arm where it was released. Without them
the same arm falls and whips about (joint limits are not enforced) while its energy stays
put.

    python examples/gravity_compensation.py [--duration 1] [--dt 1e-3] [--output figure.png]

Prints the largest joint drift with and without compensation and the relative energy
change of the falling arm, and plots the drift over time (matplotlib) unless --no-plot.
"""

import numpy as np

import kinetra
from inverse_kinematics import load_arm
from simulation import finish, parse_arguments, rk4_step

# Released at rest, reaching out sideways so that every joint carries weight. The
# continuous wrist joint stores (cos, sin) of its angle; the fingers half open.
WRIST = 0.4
RELEASE = np.array([0.3, 0.9, -0.2, 1.1, 0.5, -0.6, np.cos(WRIST), np.sin(WRIST), 0.02, 0.02])


def simulate(model, q, duration, dt, compensate):
    """Released at rest, with tau = g(q) or no torque at all. Returns (time, drift,
    energy): drift is the displacement from the start (`difference`, one column per
    velocity coordinate), energy the total mechanical energy, one row per step."""
    data = model.create_data()
    zero = np.zeros(model.nv)

    def control(qs):
        return kinetra.generalized_gravity(model, data, qs) if compensate else zero

    start, v = q.copy(), zero
    steps = round(duration / dt)
    drift, energy = np.empty((steps + 1, model.nv)), np.empty(steps + 1)
    for step in range(steps + 1):
        if step:
            q, v = rk4_step(model, data, q, v, control, dt)
        drift[step] = kinetra.difference(model, start, q)
        energy[step] = (kinetra.kinetic_energy(model, data, q, v)
                        + kinetra.potential_energy(model, data, q))
    return np.arange(steps + 1) * dt, drift, energy


def plot(path, model, t, held, falling):
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot as plt

    names = model.joint_names[1:]  # one velocity coordinate each; joint 0 is the world
    figure, axes = plt.subplots(2, 1, figsize=(8, 6), sharex=True, layout="constrained")
    axes[0].plot(t, falling, label=names)
    axes[0].set_ylabel("drift without\ncompensation (rad; m)")
    axes[0].set_title(f"{model.name} released at rest (RK4, dt = {t[1] - t[0]:g} s)")
    floor = 1e-16  # 0 has no logarithm: drift below it is drawn on it
    for name, drift in (("no torque", falling), ("tau = g(q)", held)):
        axes[1].semilogy(t[1:], np.maximum(np.abs(drift[1:]).max(axis=1), floor), label=name)
    axes[1].set_ylim(floor / 10, None)
    axes[1].set_ylabel("largest drift\n(rad; m)")
    axes[1].set_xlabel("time (s)")
    finish(figure, axes, path)


def main(argv=None):
    args = parse_arguments(argv, __doc__, 1.0, "gravity_compensation.png")

    model = load_arm()
    t, held, _ = simulate(model, RELEASE, args.duration, args.dt, compensate=True)
    _, falling, energy = simulate(model, RELEASE, args.duration, args.dt, compensate=False)
    result = {"held": float(np.abs(held).max()), "falling": float(np.abs(falling).max()),
              "energy": float(np.abs(energy - energy[0]).max() / np.abs(energy).max())}
    print(f"{model.name}: {args.duration:g} s in steps of {args.dt:g} s")
    print(f"  largest joint drift with tau = g(q): {result['held']:.1e}")
    print(f"  largest joint drift without:         {result['falling']:.2f}")
    print(f"  relative energy change while falling: {result['energy']:.1e}")
    if not args.no_plot:
        plot(args.output, model, t, held, falling)
        print(f"figure written to {args.output}")
    return result


if __name__ == "__main__":
    main()
