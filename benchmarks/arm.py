"""A 7-DoF arm with the kinematic layout of a common collaborative arm, and chains,
built through the public API for the benchmarks; URDF models without their mesh files."""

import numpy as np

import kinetra
from kinetra import Frame, FrameType, Inertia, JointModelRZ, Model, SE3


def rpy(roll, pitch, yaw):
    cr, sr, cp, sp, cy, sy = np.cos(roll), np.sin(roll), np.cos(pitch), np.sin(pitch), np.cos(yaw), np.sin(yaw)
    return np.array([[cy * cp, cy * sp * sr - sy * cr, cy * sp * cr + sy * sr],
                     [sy * cp, sy * sp * sr + cy * cr, sy * sp * cr - cy * sr],
                     [-sp, cp * sr, cp * cr]])


ARM_JOINTS = [  # (xyz, rpy) of each joint in its parent
    ((0.0, 0.0, 0.333), (0.0, 0.0, 0.0)),
    ((0.0, 0.0, 0.0), (-np.pi / 2, 0.0, 0.0)),
    ((0.0, -0.316, 0.0), (np.pi / 2, 0.0, 0.0)),
    ((0.0825, 0.0, 0.0), (np.pi / 2, 0.0, 0.0)),
    ((-0.0825, 0.384, 0.0), (-np.pi / 2, 0.0, 0.0)),
    ((0.0, 0.0, 0.0), (np.pi / 2, 0.0, 0.0)),
    ((0.088, 0.0, 0.0), (np.pi / 2, 0.0, 0.0)),
]


def arm():
    model = Model()
    for i, (xyz, angles) in enumerate(ARM_JOINTS, start=1):
        model.add_joint(i - 1, JointModelRZ(), SE3(rpy(*angles), np.array(xyz)), f"joint{i}")
        body = Inertia(3.0 - 0.3 * i, np.array([0.0, -0.03, 0.05]), np.diag([0.02, 0.02, 0.01]))
        model.add_frame(Frame(f"link{i}", i, 0, SE3.Identity(), FrameType.Body, body), True)
    return model


def chain(n):
    model = Model()
    step = SE3(rpy(0.3, 0.0, 0.0), np.array([0.0, 0.0, 0.1]))
    body = Inertia(1.0, np.array([0.0, 0.0, 0.05]), np.diag([0.01, 0.01, 0.005]))
    for i in range(1, n + 1):
        model.add_joint(i - 1, JointModelRZ(), step, f"joint{i}")
        model.add_frame(Frame(f"link{i}", i, 0, SE3.Identity(), FrameType.Body, body), True)
    return model



def without_geometry(path, **keywords):
    """The model of a URDF read without looking for its mesh files (they are not needed for
    dynamics); `keywords` go to build_models_from_urdf."""
    return kinetra.build_models_from_urdf(path, check_meshes=False, **keywords)[0]
