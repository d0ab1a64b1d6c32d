"""Joint models made from Python: agreement with the URDF reader and the x/y/z factories,
axes and limits read back, refused axes."""

import pathlib

import numpy as np
import pytest

import kinetra
from kinetra import forward_kinematics, random_configuration, rnea

from robots import RevoluteTree, rebuild

ROOT = pathlib.Path(__file__).resolve().parents[2]
MAKERS = {  # by the repr of the joint type
    "JointType.Revolute": kinetra.JointModelRevolute,
    "JointType.Continuous": kinetra.JointModelContinuous,
    "JointType.Prismatic": kinetra.JointModelPrismatic,
}
INERTIAL = ('<inertial><origin xyz="0.1 -0.05 0.2" rpy="0.3 0.2 0.1"/><mass value="{m}"/>'
            '<inertia ixx="0.03" ixy="0.001" ixz="-0.002" iyy="0.04" iyz="0.003" izz="0.05"/></inertial>')
URDF = f"""<robot name="r">
  <link name="base"/>
  <joint name="a" type="revolute"><parent link="base"/><child link="l1"/>
    <origin xyz="0.1 0.2 0.3" rpy="0.4 -0.2 0.7"/><axis xyz="0 0 2"/>
    <limit lower="-1.5" upper="1.25" effort="30" velocity="2.5"/></joint>
  <link name="l1">{INERTIAL.format(m=1.5)}</link>
  <joint name="b" type="continuous"><parent link="l1"/><child link="l2"/>
    <origin xyz="0 0.3 -0.1" rpy="-0.3 0.5 0.2"/><axis xyz="1 1 0"/>
    <limit effort="12" velocity="5"/></joint>
  <link name="l2">{INERTIAL.format(m=0.8)}</link>
  <joint name="mount" type="fixed"><parent link="l2"/><child link="l3"/>
    <origin xyz="0.2 0 0.1" rpy="0.1 0.2 0.3"/></joint>
  <link name="l3">{INERTIAL.format(m=0.4)}</link>
  <joint name="c" type="prismatic"><parent link="l3"/><child link="l4"/>
    <origin xyz="0.05 0.1 0" rpy="0 0 1.1"/><axis xyz="0 -3 0.5"/>
    <limit lower="0" upper="0.2" effort="40" velocity="0.5"/></joint>
  <link name="l4">{INERTIAL.format(m=0.3)}</link>
</robot>"""
INF = np.inf


@pytest.fixture(scope="module")
def urdf_model(tmp_path_factory):
    path = tmp_path_factory.mktemp("urdf") / "robot.urdf"
    path.write_text(URDF, encoding="utf-8")
    return kinetra.build_models_from_urdf(str(path))[0]


def same_kind(joint):
    """The joint made again through its constructor, from its type and axis."""
    return MAKERS[repr(joint.joint_type)](joint.axis)


def assert_same_dynamics(a, b, seed, rnea_too=True):
    """forward_kinematics placements (and rnea) of a and b are bitwise equal at random states."""
    rng = np.random.default_rng(seed)
    for _ in range(3):
        q = random_configuration(a).to_numpy()
        v, acc = rng.normal(size=a.nv), rng.normal(size=a.nv)
        da, db = a.create_data(), b.create_data()
        forward_kinematics(a, da, q)
        forward_kinematics(b, db, q)
        for pa, pb in zip(da.oMi, db.oMi, strict=True):
            np.testing.assert_array_equal(pa.homogeneous, pb.homogeneous)
        if rnea_too:
            np.testing.assert_array_equal(rnea(a, da, q, v, acc).to_numpy(), rnea(b, db, q, v, acc).to_numpy())


def test_constructors_agree_with_the_urdf_reader(urdf_model):
    assert [repr(j.joint_type) for j in urdf_model.joint_models[1:]] == list(MAKERS)
    assert_same_dynamics(urdf_model, rebuild(urdf_model, same_kind), 1, rnea_too=False)
    # rebuild sums inertias its own way: compare the reader's joints with the constructors'
    # in two models whose bodies were added alike.
    assert_same_dynamics(rebuild(urdf_model, lambda j: j), rebuild(urdf_model, same_kind), 2)


@pytest.mark.parametrize("seed", range(3))
def test_revolute_about_unit_axes_agrees_with_rx_ry_rz(seed):
    model = RevoluteTree(seed, 6, chain=seed != 1).model
    revolute = rebuild(model, lambda j: kinetra.JointModelRevolute(j.axis))
    assert_same_dynamics(rebuild(model, lambda j: j), revolute, seed)


def test_urdf_axes_offsets_and_limits_read_back(urdf_model):
    axes = [j.axis for j in urdf_model.joint_models]
    assert axes[0] is None
    np.testing.assert_array_equal(np.array(axes[1:]), [[0, 0, 2], [1, 1, 0], [0, -3, 0.5]])
    assert urdf_model.joint_q_offsets == [0, 0, 1, 3]
    assert urdf_model.joint_v_offsets == [0, 0, 1, 2]
    # A continuous joint stores bounds of +-1.01 on its (cos, sin) pair.
    np.testing.assert_array_equal(urdf_model.lower_limits, [-1.5, -1.01, -1.01, 0])
    np.testing.assert_array_equal(urdf_model.upper_limits, [1.25, 1.01, 1.01, 0.2])
    np.testing.assert_array_equal(urdf_model.velocity_limits, [2.5, 5, 0.5])
    np.testing.assert_array_equal(urdf_model.effort_limits, [30, 12, 40])


def test_shipped_arm_limits(monkeypatch):
    robot = ROOT / "examples" / "robot"
    monkeypatch.setenv("ROS_PACKAGE_PATH", str(robot / "kinetra_demo"))
    model = kinetra.build_models_from_urdf(str(robot / "arm.urdf"), str(robot))[0]
    np.testing.assert_array_equal(model.lower_limits, [-2.9, -2, -2.9, -2.5, -2.9, -2, -1.01, -1.01, 0, 0])
    np.testing.assert_array_equal(model.upper_limits, [2.9, 2, 2.9, 2.5, 2.9, 2, 1.01, 1.01, 0.04, 0.04])
    np.testing.assert_array_equal(model.velocity_limits, [2, 2, 2.5, 2.5, 3, 3, 4, 0.2, 0.2])
    np.testing.assert_array_equal(model.effort_limits, [80, 80, 40, 40, 15, 15, 10, 20, 20])
    np.testing.assert_array_equal(model.joint_models[-1].axis, [0, -1, 0])
    assert model.joint_q_offsets[-3:] == [6, 8, 9]


def test_hand_built_models_are_unbounded_and_fixed_joints_take_no_coordinates():
    model = kinetra.Model()
    ids = [model.add_joint(0, kinetra.JointModelContinuous(np.array([0.0, 0, 3])), kinetra.SE3.Identity(), "c"),
           model.add_joint(1, kinetra.JointModelFixed(), kinetra.SE3.Identity(), "f"),
           model.add_joint(2, kinetra.JointModelPrismatic(np.array([1.0, 2.0, 2.0])), kinetra.SE3.Identity(), "p")]
    assert ids == [1, 2, 3]
    assert (model.nq, model.nv) == (3, 2)
    assert model.joint_q_offsets == [0, 0, 2, 2] and model.joint_v_offsets == [0, 0, 1, 1]
    assert model.joint_models[2].axis is None
    np.testing.assert_array_equal(model.lower_limits, [-1.01, -1.01, -INF])
    np.testing.assert_array_equal(model.upper_limits, [1.01, 1.01, INF])
    np.testing.assert_array_equal(model.velocity_limits, [INF, INF])
    np.testing.assert_array_equal(model.effort_limits, [INF, INF])


@pytest.mark.parametrize("make", list(MAKERS.values()))
@pytest.mark.parametrize("axis, message", [
    ([0, 0, 0], "finite non-zero"),
    ([1, np.nan, 0], "finite non-zero"),
    (np.array([0, -np.inf, 1]), "finite non-zero"),
    ([1e200, 1e200, 0], "finite non-zero"),  # its length overflows
    ([1, 0], "expected 3 values, but got 2"),
    (np.zeros(4), "expected 3 values, but got 4"),
])
def test_bad_axes_are_refused(make, axis, message):
    with pytest.raises(ValueError, match=message):
        make(np.asarray(axis, dtype=float))
