"""Frame placements, Jacobians and the centre of mass against finite differences, on fixed and
floating robots."""

import numpy as np
import pytest

import kinetra
from conftest import ROOT
from robots import SHARED_NAMES, MixedTree, RevoluteTree, floating_shared, without_geometry

H = 1e-6
REFERENCES = ("local", "world", "local_world_aligned")


@pytest.fixture(scope="module")
def arm():
    robot = ROOT / "examples" / "robot"
    with pytest.MonkeyPatch.context() as patch:
        patch.setenv("ROS_PACKAGE_PATH", str(robot / "kinetra_demo"))
        model, _, _ = kinetra.build_models_from_urdf(str(robot / "arm.urdf"), str(robot))
    return model


MODELS = {"mixed chain": lambda: MixedTree(3, 8, chain=True).model,
          "mixed tree": lambda: MixedTree(4, 9, chain=False).model,
          "revolute tree": lambda: RevoluteTree(5, 6, chain=False).model,
          "arm": lambda: without_geometry(ROOT / "examples" / "robot" / "arm.urdf")[0],
          "floating tree": lambda: MixedTree(6, 7, chain=False, floating=True).model,
          "floating arm": lambda: without_geometry(ROOT / "examples" / "robot" / "arm.urdf",
                                                   root_joint=kinetra.JointModelFreeFlyer())[0]}


def homogeneous(placement):
    h = np.eye(4)
    h[:3, :3], h[:3, 3] = placement.rotation, placement.translation
    return h


def placement_at(model, data, q, frame_id):
    kinetra.forward_kinematics(model, data, q)
    return homogeneous(kinetra.frame_placement(model, data, frame_id))


def central_differences(model, q, function):
    """d function(q) / d v_k along integrate, for each k (first index)."""
    return np.array([(function(kinetra.integrate(model, q, s)) - function(kinetra.integrate(model, q, -s)))
                     / (2 * H) for s in H * np.eye(model.nv)])


def twist_columns(model, q, frame_id, reference):
    """d placement / d v_k by central differences along integrate, as a 6-row twist."""
    data = model.create_data()
    h0 = placement_at(model, data, q, frame_id)
    r, p = h0[:3, :3], h0[:3, 3]
    columns = []
    for dh in central_differences(model, q, lambda x: placement_at(model, data, x, frame_id)):
        dr, dp = dh[:3, :3], dh[:3, 3]
        skew = dr @ r.T  # [w]x in world axes
        w = np.array([skew[2, 1] - skew[1, 2], skew[0, 2] - skew[2, 0], skew[1, 0] - skew[0, 1]]) / 2
        if reference == "local_world_aligned":
            columns.append(np.concatenate([w, dp]))
        elif reference == "world":
            columns.append(np.concatenate([w, dp - np.cross(w, p)]))
        else:
            columns.append(np.concatenate([r.T @ w, r.T @ dp]))
    return np.array(columns).T


@pytest.mark.parametrize("reference", REFERENCES)
@pytest.mark.parametrize("name", list(MODELS) + [f"floating {n}" for n in SHARED_NAMES])
def test_jacobians_match_finite_differences(name, reference):
    model = MODELS[name]() if name in MODELS else floating_shared(name.split()[1])[0]
    data = model.create_data()
    v = np.random.default_rng(0).uniform(-2, 2, model.nv)  # random_configuration needs finite limits
    q = kinetra.integrate(model, kinetra.neutral(model).to_numpy(), v)
    for frame_id in range(model.nframes):
        expected = twist_columns(model, q, frame_id, reference)
        got = kinetra.frame_jacobian(model, data, q, frame_id, reference)
        np.testing.assert_allclose(got, expected, atol=1e-7, err_msg=f"frame {frame_id}")
    joint_id = model.njoints - 1
    frame = kinetra.Frame("at_joint", joint_id, 0, kinetra.SE3.Identity(), kinetra.FrameType.Joint,
                          kinetra.Inertia.zeros())
    model.add_frame(frame, False)
    np.testing.assert_array_equal(
        kinetra.joint_jacobian(model, model.create_data(), q, joint_id, reference=reference),
        kinetra.frame_jacobian(model, model.create_data(), q, model.nframes - 1, reference))
    if reference == "world":
        expected = central_differences(model, q, lambda x: kinetra.center_of_mass(model, data, x))
        np.testing.assert_allclose(kinetra.jacobian_center_of_mass(model, data, q), expected.T,
                                   atol=1e-8)


def test_frame_placements_follow_the_last_forward_kinematics(arm):
    data = arm.create_data()
    assert data.oMf == []
    q = kinetra.random_configuration(arm).to_numpy()
    kinetra.forward_kinematics(arm, data, q)
    kinetra.update_frame_placements(arm, data)
    assert len(data.frame_placements) == arm.nframes
    for frame_id, frame in enumerate(arm.frames):
        expected = homogeneous(data.oMi[frame.parent_joint]) @ homogeneous(frame.placement)
        np.testing.assert_allclose(homogeneous(data.oMf[frame_id]), expected, atol=1e-14)
        assert repr(kinetra.frame_placement(arm, data, frame_id)) == repr(data.oMf[frame_id])


@pytest.mark.parametrize("floating", [False, True])
def test_center_of_mass_is_the_mass_weighted_body_centre(floating):
    tree = MixedTree(7, 9, chain=False, floating=floating)
    model, data = tree.model, tree.model.create_data()
    q = kinetra.random_configuration(model).to_numpy()
    kinetra.forward_kinematics(model, data, q)
    kinetra.update_frame_placements(model, data)
    moment, mass = np.zeros(3), 0.0
    for frame_id, frame in enumerate(model.frames):  # the bodies were added as frames
        placement = data.oMf[frame_id]
        moment += frame.inertia.mass * (placement.rotation @ frame.inertia.lever + placement.translation)
        mass += frame.inertia.mass
    np.testing.assert_allclose(kinetra.center_of_mass(model, model.create_data(), q), moment / mass,
                               atol=1e-14)


def test_frame_ids_gravity_and_refusals(arm):
    assert arm.get_frame_id(arm.frames[3].name) == 3
    assert arm.get_frame_id("no such frame") is None
    data, q = arm.create_data(), kinetra.neutral(arm).to_numpy()
    g = kinetra.rnea(arm, data, q, np.zeros(arm.nv), np.zeros(arm.nv)).to_numpy()
    arm.gravity = -2 * arm.gravity
    np.testing.assert_allclose(kinetra.rnea(arm, data, q, np.zeros(arm.nv), np.zeros(arm.nv)).to_numpy(), -2 * g,
                               atol=1e-12)
    for bad in (np.array([0.0, 1.0]), np.array([np.nan, 0.0, 0.0])):
        with pytest.raises(ValueError, match="gravity"):
            arm.gravity = bad
    np.testing.assert_array_equal(arm.gravity, [0, 0, 2 * 9.81])
    arm.gravity = kinetra.STANDARD_GRAVITY

    cases = [
        (ValueError, r"expected configuration size \d+, but got 2", lambda: kinetra.center_of_mass(arm, data, q[:2])),
        (ValueError, "reference must be", lambda: kinetra.frame_jacobian(arm, data, q, 1, "global")),
        (IndexError, "frame_id 99 is out of range", lambda: kinetra.frame_jacobian(arm, data, q, 99)),
        (IndexError, "joint_id 99 is out of range", lambda: kinetra.joint_jacobian(arm, data, q, 99)),
        (ValueError, "data was made for a model with 1 joints",
         lambda: kinetra.frame_placement(arm, kinetra.Model().create_data(), 0)),
        (ValueError, "no mass", lambda: kinetra.center_of_mass(kinetra.Model(), kinetra.Model().create_data(),
                                                               np.zeros(0))),
    ]
    for error, message, call in cases:
        with pytest.raises(error, match=message):
            call()
