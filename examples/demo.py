"""A short tour of kinetra as it stands: the module, its constants and vectors."""

import numpy as np

import kinetra
from kinetra import Vector3D


def main():
    print("kinetra exports:", ", ".join(kinetra.__all__))
    print("world joint id:", kinetra.WORLD_ID)
    print("standard gravity:", kinetra.STANDARD_GRAVITY, "m/s^2")

    a = Vector3D(1.0, 2.0, 2.0)
    b = Vector3D(0.5, -1.0, 4.0)
    print(f"a = {a!r}, |a| = {a.norm()}")
    print(f"b = {b!r}")
    print(f"a + b = {a + b!r}")
    print(f"a - b = {a - b!r}")
    print(f"a * b (component-wise) = {a * b!r}")
    print("a as a NumPy array:", a.to_numpy())

    try:
        kinetra.Vector3D(1.0, 2.0)
    except TypeError as error:
        print("bad call ->", error)

    # Arguments are checked the same way everywhere; arrays are float64 NumPy arrays.
    assert isinstance(a.to_numpy(), np.ndarray)


if __name__ == "__main__":
    main()
