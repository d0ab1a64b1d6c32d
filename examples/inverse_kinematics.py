"""Inverse kinematics on the shipped arm: damped least squares on the tool frame's
Jacobian, stepping on the configuration manifold with `integrate` and clamping to the
joint limits.

    python examples/inverse_kinematics.py [--plot figure.png]

--plot draws the error per iteration on a logarithmic scale (matplotlib).
"""

import argparse
import os
import pathlib

import numpy as np

import kinetra

ROBOT = pathlib.Path(__file__).resolve().parent / "robot"


def load_arm():
    # "package://kinetra_demo/..." meshes resolve through ROS_PACKAGE_PATH, set for the load only.
    saved = os.environ.get("ROS_PACKAGE_PATH")
    os.environ["ROS_PACKAGE_PATH"] = str(ROBOT / "kinetra_demo")
    try:
        model, _, _ = kinetra.build_models_from_urdf(str(ROBOT / "arm.urdf"), str(ROBOT))
    finally:
        if saved is None:
            del os.environ["ROS_PACKAGE_PATH"]
        else:
            os.environ["ROS_PACKAGE_PATH"] = saved
    return model


def rotation_vector(r):
    """The axis-angle vector of a rotation matrix (angle below pi)."""
    angle = np.arccos(np.clip((np.trace(r) - 1) / 2, -1.0, 1.0))
    axis = np.array([r[2, 1] - r[1, 2], r[0, 2] - r[2, 0], r[1, 0] - r[0, 1]])
    if angle < 1e-9:
        return axis / 2  # sin(angle) ~ angle: the vector itself
    return axis * angle / (2 * np.sin(angle))


def pose_error(model, data, frame_id, target):
    """(orientation error in world axes; position error), the twist that closes the gap."""
    placement = kinetra.frame_placement(model, data, frame_id)
    rotation = target.rotation @ placement.rotation.T
    return np.concatenate([rotation_vector(rotation), target.translation - placement.translation])


def solve(model, frame_id, target, q, damping=1e-2, max_step=0.5, tolerance=1e-8, max_iterations=60):
    """Returns (q, errors): the configuration reaching `target` and the error norm per iteration."""
    data = model.create_data()
    lower, upper = model.lower_limits, model.upper_limits
    errors = []
    for _ in range(max_iterations):
        # frame_jacobian runs forward kinematics for q, so frame_placement reads the same q.
        jacobian = kinetra.frame_jacobian(model, data, q, frame_id)  # local_world_aligned
        error = pose_error(model, data, frame_id, target)
        errors.append(float(np.linalg.norm(error)))
        if errors[-1] < tolerance:
            break
        step = jacobian.T @ np.linalg.solve(jacobian @ jacobian.T + damping**2 * np.eye(6), error)
        step *= min(1.0, max_step / np.linalg.norm(step))  # far from the target, go straight at it
        q = np.clip(kinetra.integrate(model, q, step), lower, upper)
    return q, errors


def plot(path, errors, tolerance=1e-8):
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot as plt

    figure, ax = plt.subplots(figsize=(7, 4), layout="constrained")
    ax.semilogy(range(len(errors)), errors, marker="o", markersize=3)
    ax.axhline(tolerance, color="grey", linestyle="--", label=f"tolerance {tolerance:g}")
    ax.set_xlabel("iteration")
    ax.set_ylabel("pose error norm (rad; m)")
    ax.set_title("Damped least squares on the shipped arm, from the neutral configuration")
    ax.legend()
    ax.grid(alpha=0.3, which="both")
    figure.savefig(path, dpi=80)
    plt.close(figure)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--plot", type=pathlib.Path, metavar="PATH",
                        help="write the error per iteration to this PNG (needs matplotlib)")
    args = parser.parse_args(argv)

    model = load_arm()
    tool = model.get_frame_id("tcp")
    # A reachable target: the tool's placement at a configuration within the limits.
    wrist = 0.7  # the continuous wrist joint's angle, stored as (cos, sin)
    goal = np.array([0.6, -0.8, 0.5, 1.2, -0.4, 0.9, np.cos(wrist), np.sin(wrist), 0.02, 0.02])
    data = model.create_data()
    kinetra.forward_kinematics(model, data, goal)
    target = kinetra.frame_placement(model, data, tool)

    q, errors = solve(model, tool, target, kinetra.neutral(model).to_numpy())
    print(f"target position {np.round(target.translation, 4)}")
    for i in (0, 1, 2, 5, 10, len(errors) - 1):
        if i < len(errors):
            print(f"  iteration {i:3d}: error {errors[i]:.3e}")
    within = bool(np.all((model.lower_limits <= q) & (q <= model.upper_limits)))
    print(f"converged in {len(errors) - 1} iterations, within the joint limits: {within}")
    if args.plot:
        plot(args.plot, errors)
        print(f"figure written to {args.plot}")
    return errors


if __name__ == "__main__":
    main()
