"""A quadruped tumbling in free fall, without gravity: the trunk floats on a free-flyer
joint, starts with a spin and with its legs swinging, and no torque acts. Forward
dynamics (`aba`) and `integrate` step it with fourth-order Runge-Kutta on the
configuration manifold; the total energy and the spatial momentum must stay constant.

    python examples/falling_robot.py [--duration 4] [--dt 1e-3] [--output figure.png]

Prints the largest relative drift of the energy, the angular momentum and the linear
momentum, and plots them over time (matplotlib, the `examples` extra) unless --no-plot.
"""

import pathlib

import numpy as np

import kinetra
from simulation import finish, parse_arguments, rk4_step

ROBOT = pathlib.Path(__file__).resolve().parent / "robot"


def load_quadruped():
    """The shipped quadruped with its trunk on a free-flyer joint, in zero gravity."""
    model, _, _ = kinetra.build_models_from_urdf(
        str(ROBOT / "quadruped.urdf"), str(ROBOT), root_joint=kinetra.JointModelFreeFlyer())
    model.gravity = np.zeros(3)
    return model


def initial_state(model):
    """Legs folded under the trunk, the trunk spinning mostly about its y axis (sideways)
    and drifting, every joint moving. The legs are limp: the spin flings them about."""
    q = kinetra.neutral(model).to_numpy()
    q[:3] = (0.0, 0.0, 0.5)  # trunk position; the quaternion stays the identity
    v = np.zeros(model.nv)
    v[:6] = (0.1, 3.0, 0.05, 0.2, 0.0, 0.1)  # trunk (w; v) in its own frame
    rng = np.random.default_rng(3)
    for leg in ("front_left", "front_right", "hind_left", "hind_right"):
        for joint, angle in (("hip_roll", 0.0), ("hip_pitch", 0.6), ("knee", -1.2)):
            j = model.get_joint_id(f"{leg}_{joint}")
            q[model.joint_q_offsets[j]] = angle
            v[model.joint_v_offsets[j]] = rng.uniform(-1.0, 1.0)
    return q, v


def bracket(x, y):
    """Lie bracket [x, y] of two twists (w; v): ad_x y."""
    return np.concatenate([np.cross(x[:3], y[:3]), np.cross(x[:3], y[3:]) + np.cross(x[3:], y[:3])])


def tangent(theta, v):
    """The rate of theta that moves q(t) = integrate(model, q0, theta(t)) with velocity v.

    Joint angles add, so for them it is v itself. The trunk's block composes
    M(q0) exp(theta), and rotations do not commute: its rate is v + [theta, v] / 2 +
    [theta, [theta, v]] / 12 + ..., the terms kept here being those fourth order needs.
    Without them the trunk's placement, and so the world momentum, is only second-order
    accurate."""
    k = v.copy()
    once = bracket(theta[:6], v[:6])
    k[:6] += once / 2 + bracket(theta[:6], once) / 12
    return k


def spatial_momentum(model, data, q, v):
    """(angular momentum about the world origin; linear momentum), in world axes.

    The free-flyer's velocity is the trunk's twist in its own frame and its motion
    subspace is the identity, so the first six rows of M(q) v are the whole robot's
    momentum expressed in the trunk frame (about the trunk origin, in trunk axes).
    The trunk's world placement (R, p) carries it to the world: f = R f_b,
    n = R n_b + p x f.
    """
    trunk = kinetra.crba(model, data, q)[:6] @ v
    kinetra.forward_kinematics(model, data, q)
    placement = data.oMi[model.get_joint_id("root_joint")]
    force = placement.rotation @ trunk[3:]
    torque = placement.rotation @ trunk[:3] + np.cross(placement.translation, force)
    return np.concatenate([torque, force])


def simulate(model, q, v, duration, dt):
    """Returns arrays with one row per step: time, energy, world momentum and the trunk's
    angular velocity in world axes."""
    data = model.create_data()
    tau = np.zeros(model.nv)
    root = model.get_joint_id("root_joint")
    energy, momentum, spin = [], [], []
    steps = round(duration / dt)
    for step in range(steps + 1):
        if step:
            q, v = rk4_step(model, data, q, v, lambda _: tau, dt, tangent)
        energy.append(kinetra.kinetic_energy(model, data, q, v)
                      + kinetra.potential_energy(model, data, q))
        momentum.append(spatial_momentum(model, data, q, v))  # leaves data.oMi placed for q
        spin.append(data.oMi[root].rotation @ v[:3])
    return np.arange(steps + 1) * dt, np.array(energy), np.array(momentum), np.array(spin)


def relative_changes(energy, momentum):
    """Change from the start over the starting size, per step: energy, angular and
    linear momentum (vector norms)."""
    series = {"energy": energy[:, None], "angular momentum": momentum[:, :3],
              "linear momentum": momentum[:, 3:]}
    return {name: np.linalg.norm(x - x[0], axis=1) / np.linalg.norm(x[0])
            for name, x in series.items()}


def plot(path, t, energy, momentum, spin):
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot as plt

    figure, axes = plt.subplots(3, 1, figsize=(8, 7), sharex=True, layout="constrained")
    axes[0].plot(t, spin, label=["$\\omega_x$", "$\\omega_y$", "$\\omega_z$"])
    axes[0].set_ylabel("trunk angular\nvelocity (rad/s)")
    axes[0].set_title("A quadruped tumbling without gravity, no torque (RK4, "
                      f"dt = {t[1] - t[0]:g} s)")
    axes[1].plot(t, momentum, label=["$L_x$", "$L_y$", "$L_z$", "$p_x$", "$p_y$", "$p_z$"])
    axes[1].set_ylabel("world momentum\n(N m s; N s)")
    for name, change in relative_changes(energy, momentum).items():
        axes[2].semilogy(t[1:], np.maximum(change[1:], 1e-17), label=name)  # 0 has no logarithm
    axes[2].set_ylabel("relative drift")
    axes[2].set_xlabel("time (s)")
    finish(figure, axes, path)


def main(argv=None):
    args = parse_arguments(argv, __doc__, 4.0, "falling_robot.png")

    model = load_quadruped()
    q, v = initial_state(model)
    print(f"{model.name}: nq={model.nq}, nv={model.nv}, {kinetra.total_mass(model):.1f} kg, "
          f"{args.duration:g} s in steps of {args.dt:g} s")
    t, energy, momentum, spin = simulate(model, q, v, args.duration, args.dt)
    changes = relative_changes(energy, momentum)
    result = {name: float(change.max()) for name, change in changes.items()}
    print(f"energy {energy[0]:.6f} J, momentum {np.array2string(momentum[0], precision=4)}")
    for name, drift in result.items():
        print(f"  relative drift of the {name}: {drift:.1e}")
    if not args.no_plot:
        plot(args.output, t, energy, momentum, spin)
        print(f"figure written to {args.output}")
    return result


if __name__ == "__main__":
    main()
