"""Collision and visual shapes: the primitives and meshes of geometry objects."""

from typing import ClassVar, final

import numpy as np
from numpy.typing import NDArray

__all__ = ["Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "PyMesh", "Shape", "ShapeType"]

@final
class Capsule:
    """A cylinder of `radius` and `length` (along z) capped by two half spheres."""

    def __new__(cls, radius: float, length: float) -> Capsule: ...
    def __copy__(self) -> Capsule: ...
    def __deepcopy__(self, memo: object) -> Capsule: ...

@final
class Cone:
    """A cone of base `radius` and height `length` along z."""

    def __new__(cls, radius: float, length: float) -> Cone: ...
    def radius(self) -> float:
        """Returns the radius of the cone."""
    def half_length(self) -> float:
        """Returns the half length of the cone."""
    def __copy__(self) -> Cone: ...
    def __deepcopy__(self, memo: object) -> Cone: ...

@final
class Cuboid:
    """A box with the side lengths `sides` (x, y, z), centred on its frame."""

    def __new__(cls, sides: list[float] | tuple[float, ...] | NDArray[np.float64]) -> Cuboid: ...
    def __copy__(self) -> Cuboid: ...
    def __deepcopy__(self, memo: object) -> Cuboid: ...

@final
class Cylinder:
    """A cylinder of `radius` and `length` along z, centred on its frame."""

    def __new__(cls, radius: float, length: float) -> Cylinder: ...
    def radius(self) -> float:
        """Returns the radius of the cylinder."""
    def half_length(self) -> float:
        """Returns the half length of the cylinder."""
    def __copy__(self) -> Cylinder: ...
    def __deepcopy__(self, memo: object) -> Cylinder: ...

@final
class Sphere:
    """A sphere of `radius`."""

    def __new__(cls, radius: float) -> Sphere: ...
    def __copy__(self) -> Sphere: ...
    def __deepcopy__(self, memo: object) -> Sphere: ...

@final
class PyMesh:
    """A Python wrapper for the Mesh type."""

    def __new__(cls, path: str) -> PyMesh: ...
    @property
    def mesh_path(self) -> str:
        """The path of the mesh file."""
    def __copy__(self) -> PyMesh: ...
    def __deepcopy__(self, memo: object) -> PyMesh: ...

@final
class ShapeType:
    """The kind of a shape."""

    Capsule: ClassVar[ShapeType]
    Cone: ClassVar[ShapeType]
    Cuboid: ClassVar[ShapeType]
    Cylinder: ClassVar[ShapeType]
    Sphere: ClassVar[ShapeType]
    Mesh: ClassVar[ShapeType]
    def __int__(self) -> int: ...
    def __copy__(self) -> ShapeType: ...
    def __deepcopy__(self, memo: object) -> ShapeType: ...

@final
class Shape:
    """A Python wrapper for the ShapeWrapper type."""

    @property
    def shape_type(self) -> ShapeType: ...
    @property
    def radius(self) -> float:
        """The radius (capsule, cone, cylinder, sphere); ValueError for other shapes."""
    @property
    def half_extents(self) -> NDArray[np.float32]:
        """(3,) float32 half side lengths (cuboid); ValueError for other shapes."""
    @property
    def half_length(self) -> float:
        """Half the length along z (capsule, cone, cylinder); ValueError for other shapes."""
    @property
    def mesh_path(self) -> str:
        """The mesh file's path (mesh); ValueError for other shapes."""
    def __copy__(self) -> Shape: ...
    def __deepcopy__(self, memo: object) -> Shape: ...
