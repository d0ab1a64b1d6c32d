"""What the simulation examples share: a Runge-Kutta step on the configuration manifold,
their command line and the finishing of their figures."""

import argparse
import pathlib
import tempfile

import numpy as np

import kinetra


def same_rate(theta, v):
    """The rate of the increment theta for velocity v where coordinates add (every joint
    but a free flyer's rotation): v itself."""
    return v


def rk4_step(model, data, q, v, torque, dt, tangent=same_rate):
    """Classic Runge-Kutta on (q, v) under the torques torque(q). Each stage is reached from
    q with `integrate` along an increment theta (never q + v dt: (cos, sin) pairs and
    quaternions must stay on their manifolds), and contributes tangent(theta, v_stage), the
    rate of theta that moves q with that velocity."""
    def acceleration(theta, v_stage):
        q_stage = kinetra.integrate(model, q, theta)
        return kinetra.aba(model, data, q_stage, v_stage, torque(q_stage)).to_numpy()

    a1 = acceleration(np.zeros(model.nv), v)
    k1 = v
    v2 = v + dt / 2 * a1
    a2 = acceleration(dt / 2 * k1, v2)
    k2 = tangent(dt / 2 * k1, v2)
    v3 = v + dt / 2 * a2
    a3 = acceleration(dt / 2 * k2, v3)
    k3 = tangent(dt / 2 * k2, v3)
    v4 = v + dt * a3
    a4 = acceleration(dt * k3, v4)
    k4 = tangent(dt * k3, v4)
    q_next = kinetra.integrate(model, q, dt / 6 * (k1 + 2 * k2 + 2 * k3 + k4))
    return q_next, v + dt / 6 * (a1 + 2 * a2 + 2 * a3 + a4)


def parse_arguments(argv, doc, duration, figure):
    """--duration (default `duration` s), --dt, --output (default `figure` in the system's
    temporary directory) and --no-plot."""
    parser = argparse.ArgumentParser(description=doc.split("\n\n")[0])
    parser.add_argument("--duration", type=float, default=duration,
                        help=f"simulated time in s (default {duration:g})")
    parser.add_argument("--dt", type=float, default=1e-3, help="time step in s (default 1e-3)")
    parser.add_argument("--output", type=pathlib.Path,
                        default=pathlib.Path(tempfile.gettempdir()) / figure,
                        help=f"where to write the figure (default: {figure} in the system's "
                        "temporary directory)")
    parser.add_argument("--no-plot", action="store_true",
                        help="skip the figure (no matplotlib needed)")
    return parser.parse_args(argv)


def finish(figure, axes, path):
    """Legends beside the axes, light grids, the figure written to `path` and closed."""
    from matplotlib import pyplot as plt

    for ax in axes:
        ax.legend(loc="upper left", bbox_to_anchor=(1.01, 1), fontsize="small")
        ax.grid(alpha=0.3)
    figure.savefig(path, dpi=80)
    plt.close(figure)
