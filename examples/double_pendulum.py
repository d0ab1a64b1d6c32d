"""A double pendulum built joint by joint: two revolute joints about y, a point mass at
the end of each rod. Forward dynamics (`aba`) and `integrate` step it with fourth-order
Runge-Kutta and, for comparison, with semi-implicit Euler; nothing dissipates, so the
total energy must stay where it started.

    python examples/double_pendulum.py [--duration 10] [--dt 1e-3] [--output figure.png]

Prints the largest relative energy drift of each integrator and plots the energies over
time (matplotlib) unless --no-plot.
"""

import numpy as np

import kinetra
from kinetra import Frame, FrameType, Inertia, Model, SE3
from simulation import finish, parse_arguments, rk4_step

LENGTHS = (1.0, 0.7)  # m
MASSES = (1.0, 0.5)  # kg


def build_pendulum(lengths=LENGTHS, masses=MASSES):
    """Both joints turn about y; each rod hangs along -z from its joint, massless, with
    its mass at the far end: a point mass, no rotational inertia of its own."""
    model = Model()
    model.name = "double pendulum"
    hang = [SE3(np.eye(3), np.array([0.0, 0.0, -length])) for length in lengths]
    shoulder = model.add_joint(kinetra.WORLD_ID, kinetra.JointModelRY(), SE3.Identity(), "shoulder")
    elbow = model.add_joint(shoulder, kinetra.JointModelRY(), hang[0], "elbow")
    bobs = zip(("bob1", "bob2"), (shoulder, elbow), hang, masses, strict=True)
    for name, joint, placement, mass in bobs:
        point = Inertia(mass, np.zeros(3), np.zeros((3, 3)))
        model.add_frame(Frame(name, joint, 0, placement, FrameType.Body, point), True)
    return model


def free_rk4_step(model, data, q, v, dt):
    """One Runge-Kutta step without torque."""
    return rk4_step(model, data, q, v, lambda _: np.zeros(model.nv), dt)


def euler_step(model, data, q, v, dt):
    """Semi-implicit (symplectic) Euler: the velocity first, then q along the new one."""
    v = v + dt * kinetra.aba(model, data, q, v, np.zeros(model.nv)).to_numpy()
    return kinetra.integrate(model, q, v * dt), v


def simulate(model, q, v, duration, dt, step=free_rk4_step):
    """Returns (time, kinetic, potential): one entry per step."""
    data = model.create_data()
    steps = round(duration / dt)
    kinetic, potential = np.empty(steps + 1), np.empty(steps + 1)
    for i in range(steps + 1):
        if i:
            q, v = step(model, data, q, v, dt)
        kinetic[i] = kinetra.kinetic_energy(model, data, q, v)
        potential[i] = kinetra.potential_energy(model, data, q)
    return np.arange(steps + 1) * dt, kinetic, potential


def relative_drift(kinetic, potential):
    total = kinetic + potential
    return np.abs(total - total[0]) / np.abs(total[0])


def plot(path, t, rk4, euler):
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot as plt

    figure, axes = plt.subplots(2, 1, figsize=(8, 6), sharex=True, layout="constrained")
    kinetic, potential = rk4
    axes[0].plot(t, kinetic, label="kinetic")
    axes[0].plot(t, potential, label="potential")
    axes[0].plot(t, kinetic + potential, label="total")
    axes[0].set_ylabel("energy (J)")
    axes[0].set_title(f"A double pendulum released from rest (dt = {t[1] - t[0]:g} s)")
    for name, (k, p) in (("RK4", rk4), ("semi-implicit Euler", euler)):
        axes[1].semilogy(t[1:], np.maximum(relative_drift(k, p)[1:], 1e-17), label=name)
    axes[1].set_ylabel("relative drift\nof the total")
    axes[1].set_xlabel("time (s)")
    finish(figure, axes, path)


def main(argv=None):
    args = parse_arguments(argv, __doc__, 10.0, "double_pendulum.png")

    model = build_pendulum()
    q, v = np.array([2.0, -1.0]), np.zeros(model.nv)  # high up: a chaotic swing
    t, *rk4 = simulate(model, q, v, args.duration, args.dt)
    _, *euler = simulate(model, q, v, args.duration, args.dt, euler_step)
    result = {"rk4": float(relative_drift(*rk4).max()),
              "euler": float(relative_drift(*euler).max())}
    print(f"{model.name}: {args.duration:g} s in steps of {args.dt:g} s, "
          f"energy {rk4[0][0] + rk4[1][0]:.6f} J")
    print(f"  largest relative energy drift, RK4:                 {result['rk4']:.1e}")
    print(f"  largest relative energy drift, semi-implicit Euler: {result['euler']:.1e}")
    if not args.no_plot:
        plot(args.output, t, rk4, euler)
        print(f"figure written to {args.output}")
    return result


if __name__ == "__main__":
    main()
