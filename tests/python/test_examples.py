"""The worked examples do what their documentation says."""

import sys

import numpy as np

import kinetra
from conftest import ROOT

sys.path.insert(0, str(ROOT / "examples"))
import inverse_kinematics  # noqa: E402


def test_inverse_kinematics_reaches_its_target_within_the_limits():
    model = inverse_kinematics.load_arm()
    tool = model.get_frame_id("tcp")
    data = model.create_data()
    wrist = -2.5
    goal = np.array([-1.0, 0.7, 1.5, -0.6, 2.0, -1.2, np.cos(wrist), np.sin(wrist), 0.0, 0.04])
    kinetra.forward_kinematics(model, data, goal)
    target = kinetra.frame_placement(model, data, tool)

    q, errors = inverse_kinematics.solve(model, tool, target, kinetra.neutral(model).to_numpy())
    assert errors[-1] < 1e-8 and len(errors) <= 40
    assert np.all((model.lower_limits <= q) & (q <= model.upper_limits))
    kinetra.forward_kinematics(model, data, q)
    reached = kinetra.frame_placement(model, data, tool)
    np.testing.assert_allclose(reached.translation, target.translation, atol=1e-8)
    np.testing.assert_allclose(reached.rotation, target.rotation, atol=1e-8)
