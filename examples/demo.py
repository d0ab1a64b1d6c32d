"""A short tour of kinetra: build a small arm joint by joint, place it with forward
kinematics, and compute its holding torques and a forward-dynamics round trip."""

import numpy as np

import kinetra
from kinetra import Frame, FrameType, Inertia, Model, SE3


def build_arm():
    model = Model()
    model.name = "demo arm"
    up = SE3(np.eye(3), np.array([0.0, 0.0, 0.4]))
    base = model.add_joint(kinetra.WORLD_ID, kinetra.JointModelRZ(), SE3.Identity(), "base_yaw")
    shoulder = model.add_joint(base, kinetra.JointModelRY(), SE3(np.eye(3), np.array([0.0, 0.0, 0.1])), "shoulder")
    elbow = model.add_joint(shoulder, kinetra.JointModelRY(), up, "elbow")
    wrist = model.add_joint(elbow, kinetra.JointModelRX(), up, "wrist")
    for joint, mass in ((shoulder, 2.0), (elbow, 1.2), (wrist, 0.4)):
        link = Inertia(mass, np.array([0.0, 0.0, 0.2]), np.diag([0.02, 0.02, 0.002]))
        model.add_frame(Frame(f"link_{joint}", joint, 0, SE3.Identity(), FrameType.Body, link), True)
    model.add_frame(Frame("base_link", base, 0, SE3.Identity(), FrameType.Body, Inertia.FromSphere(3.0, 0.1)), True)
    return model


def main():
    model = build_arm()
    print(f"{model.name}: {model.njoints - 1} joints {model.joint_names[1:]}, nq={model.nq}, "
          f"nv={model.nv}, {model.nframes} frames")
    data = model.create_data()

    for label, q in (("neutral", kinetra.neutral(model).to_numpy()),
                     ("random", kinetra.random_configuration(model).to_numpy())):
        kinetra.forward_kinematics(model, data, q)
        tip = data.oMi[-1].translation
        print(f"{label:>8} q = {np.array2string(q, precision=3)} -> wrist at {np.array2string(tip, precision=3)} m")

    zeros = np.zeros(model.nv)
    tau = kinetra.rnea(model, data, q, zeros, zeros).to_numpy()
    print("holding torques:", np.array2string(tau, precision=3), "N m")

    v = np.full(model.nv, 0.5)
    a = np.array([0.1, -0.2, 0.3, 0.4])
    tau = kinetra.rnea(model, data, q, v, a).to_numpy()
    back = kinetra.aba(model, data, q, v, tau).to_numpy()
    print("forward dynamics recovers a:", np.array2string(back, precision=6),
          f"(max error {np.max(np.abs(back - a)):.1e})")

    try:
        kinetra.forward_kinematics(model, data, np.zeros(3))
    except ValueError as error:
        print("bad call ->", error)


if __name__ == "__main__":
    main()
