"""A short tour of kinetra: load a 7-joint arm with a parallel gripper from URDF, place
it with forward kinematics, compute its holding torques and a forward-dynamics round
trip, and place one of its collision shapes in the world."""

import os
from pathlib import Path

import numpy as np

import kinetra

ROBOT = Path(__file__).resolve().parent / "robot"


def frame_in_world(model, data, name):
    """World placement of the first frame called `name` (after forward kinematics)."""
    frame = next(f for f in model.frames if f.name == name)
    return data.oMi[frame.parent_joint] * frame.placement


def fmt(values, precision=3):
    return np.array2string(np.asarray(values), precision=precision, suppress_small=True)


def main():
    # "package://kinetra_demo/..." meshes resolve through ROS_PACKAGE_PATH.
    os.environ["ROS_PACKAGE_PATH"] = str(ROBOT / "kinetra_demo")
    model, collision, visual = kinetra.build_models_from_urdf(str(ROBOT / "arm.urdf"), str(ROBOT))

    print(f"{model.name}: nq={model.nq}, nv={model.nv}, {model.nframes} frames, "
          f"{collision.ngeoms} collision and {visual.ngeoms} visual objects")
    for name, joint in zip(model.joint_names[1:], model.joint_models[1:], strict=True):
        kind = repr(joint.joint_type).removeprefix("JointType.")
        print(f"  {name:<20}{kind:<12}nq={joint.nq} nv={joint.nv}")
    # FrameType values compare by identity only; compare their numbers instead.
    fixed = [f.name for f in model.frames[1:] if int(f.frame_type) == int(kinetra.FrameType.Fixed)]
    print(f"  fixed mounts: {', '.join(fixed)}")

    data = model.create_data()
    for label, q in (("neutral", kinetra.neutral(model).to_numpy()),
                     ("random", kinetra.random_configuration(model).to_numpy())):
        kinetra.forward_kinematics(model, data, q)
        tcp = frame_in_world(model, data, "tcp").translation
        print(f"{label:>8} q = {fmt(q, 2)}\n{'':>8} tool centre point at {fmt(tcp)} m")

    zeros = np.zeros(model.nv)
    tau = kinetra.rnea(model, data, q, zeros, zeros).to_numpy()
    print("holding torques at the random q:", fmt(tau), "(N m; N for the fingers)")

    rng = np.random.default_rng(7)
    v, a = rng.uniform(-1, 1, model.nv), rng.uniform(-1, 1, model.nv)
    tau = kinetra.rnea(model, data, q, v, a).to_numpy()
    back = kinetra.aba(model, data, q, v, tau).to_numpy()
    print(f"forward dynamics recovers a from rnea(q, v, a): max error {np.max(np.abs(back - a)):.1e}")

    index = collision.get_geometry_id("hand_0")
    if index is None:
        raise SystemExit("the arm has no collision object 'hand_0'")
    placement = kinetra.GeometryData(data, collision).get_object_placement(index)
    shape = repr(collision.geometry_objects[index].geometry.shape_type).removeprefix("ShapeType.")
    print(f"collision object {index} 'hand_0' ({shape}) in the world:\n{fmt(placement.homogeneous)}")


if __name__ == "__main__":
    main()
