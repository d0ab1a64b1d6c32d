"""Rigid-body kinematics and dynamics for articulated robots.

Arrays are NumPy float64 arrays; joint-space vectors have nq (configurations) or nv
(velocities, accelerations, torques) entries.
"""

import os
from collections.abc import Iterator, Sequence
from typing import Any, ClassVar, Final, Literal, final

import numpy as np
from numpy.typing import DTypeLike, NDArray

from . import shapora as shapora

__all__ = [
    "Configuration",
    "Model",
    "Data",
    "Frame",
    "FrameType",
    "JointModel",
    "GeometryModel",
    "GeometryData",
    "GeometryObject",
    "neutral",
    "random_configuration",
    "build_models_from_urdf",
    "WORLD_ID",
    "STANDARD_GRAVITY",
    "Inertia",
    "JointType",
    "JointModelRX",
    "JointModelRY",
    "JointModelRZ",
    "SE3",
    "Vector3D",
    "Vector6D",
    "Symmetric3",
    "forward_kinematics",
    "forward_dynamics",
    "aba",
    "inverse_dynamics",
    "rnea",
    "shapora",
]

_Array = NDArray[np.float64]
_Reference = Literal["local", "world", "local_world_aligned"]
_Path = str | os.PathLike[str]

__version__: Final[str]
WORLD_ID: Final[int]
"""The id of the world joint (the root of every model): 0."""
STANDARD_GRAVITY: _Array
"""(3,) the standard gravity acceleration (0, 0, -9.81); a fresh copy at each access."""

class PanicException(BaseException):
    """An internal failure of kinetra: a condition that valid use cannot reach."""

@final
class Configuration:
    """A joint-space vector returned by the algorithms (q, v, a or tau).

    A sequence of floats: `len`, indexes (negative ones count from the end), iteration, and
    `numpy.asarray(configuration)` gives a new 1-D float64 array.
    """

    def to_numpy(self) -> _Array:
        """The values as a new (n,) float64 array."""
    def __array__(self, dtype: DTypeLike | None = None, copy: bool | None = None) -> NDArray[Any]:
        """The values as a new 1-D array (float64, or `dtype` when given); NumPy calls it
        for `numpy.asarray(configuration)`. `copy=False` raises ValueError: the values
        are always copied.
        """
    def __len__(self) -> int: ...
    def __getitem__(self, index: int, /) -> float: ...
    def __iter__(self) -> Iterator[float]: ...
    def __add__(self, value: Configuration, /) -> Configuration:
        """The element-wise sum of two configurations of the same size."""
    def __mul__(self, value: float, /) -> Configuration:
        """Every element multiplied by a number."""
    def __copy__(self) -> Configuration: ...
    def __deepcopy__(self, memo: object) -> Configuration: ...

@final
class Vector3D:
    """A vector of three floats."""

    def __new__(cls, x: float, y: float, z: float) -> Vector3D: ...
    @staticmethod
    def zeros() -> Vector3D:
        """(0, 0, 0)."""
    @staticmethod
    def ones() -> Vector3D:
        """(1, 1, 1)."""
    def to_numpy(self) -> _Array:
        """The components as a new (3,) float64 array."""
    def vector(self) -> _Array:
        """The components as a new (3,) float64 array (the same as `to_numpy`)."""
    def norm(self) -> float:
        """The Euclidean length."""
    def __add__(self, value: Vector3D, /) -> Vector3D: ...
    def __sub__(self, value: Vector3D, /) -> Vector3D: ...
    def __mul__(self, value: Vector3D, /) -> Vector3D:
        """The component-wise product."""
    def __copy__(self) -> Vector3D: ...
    def __deepcopy__(self, memo: object) -> Vector3D: ...

@final
class Vector6D:
    """Python wrapper for spatial motion vectors (`Vector6D`)."""

    def __new__(cls, x: float, y: float, z: float, w: float, v: float, u: float) -> Vector6D: ...
    def __copy__(self) -> Vector6D: ...
    def __deepcopy__(self, memo: object) -> Vector6D: ...

@final
class SE3:
    """Python wrapper for the SE(3) group."""

    def __new__(cls, rotation: _Array, translation: _Array) -> SE3:
        """A rigid transform from a (3, 3) rotation matrix (checked to be orthogonal) and a
        (3,) translation."""
    @staticmethod
    def Identity() -> SE3:
        """The identity transform."""
    @staticmethod
    def Random() -> SE3:
        """A random transform (uniform rotation, translation in [-1, 1)^3)."""
    def inverse(self) -> SE3:
        """The inverse transform."""
    def copy(self) -> SE3:
        """An independent copy."""
    @property
    def translation(self) -> _Array:
        """(3,) the translation (a copy; settable from a (3,) float64 array)."""
    @translation.setter
    def translation(self, value: _Array) -> None: ...
    @property
    def rotation(self) -> _Array:
        """(3, 3) the rotation matrix (a copy)."""
    @property
    def homogeneous(self) -> _Array:
        """(4, 4) the homogeneous matrix (a copy)."""
    def __mul__(self, value: SE3, /) -> SE3:
        """The composition: (a * b) maps b's frame to a's parent."""
    def __copy__(self) -> SE3: ...
    def __deepcopy__(self, memo: object) -> SE3: ...

@final
class Symmetric3:
    """A symmetric 3x3 matrix (a rotational inertia)."""

    def __new__(
        cls, m11: float, m22: float, m33: float, m12: float, m13: float, m23: float
    ) -> Symmetric3: ...
    @staticmethod
    def Zero() -> Symmetric3:
        """The zero matrix."""
    @staticmethod
    def Identity() -> Symmetric3:
        """The identity matrix."""
    def to_numpy(self) -> _Array:
        """(3, 3) the full matrix as a new float64 array."""
    def matrix(self) -> _Array:
        """(3, 3) the full matrix as a new float64 array (the same as `to_numpy`)."""
    def __getitem__(self, index: tuple[int, int], /) -> float:
        """Entry (i, j), with i and j in 0..2."""
    def __add__(self, value: Symmetric3, /) -> Symmetric3: ...
    def __sub__(self, value: Symmetric3, /) -> Symmetric3: ...
    def __mul__(self, value: float | Vector3D, /) -> Any:
        """The matrix scaled by a number (a Symmetric3), or times a Vector3D (a Vector3D)."""
    def __rmul__(self, value: float, /) -> Symmetric3: ...
    def __copy__(self) -> Symmetric3: ...
    def __deepcopy__(self, memo: object) -> Symmetric3: ...

@final
class Inertia:
    """A Python wrapper for the [`Inertia`] struct."""

    def __new__(cls, mass: float, com: _Array, inertia: _Array) -> Inertia:
        """A body's mass, (3,) centre of mass and (3, 3) symmetric rotational inertia about
        the centre of mass."""
    @staticmethod
    def FromSphere(mass: float, radius: float) -> Inertia:
        """Creates a new inertia sphere with the given parameters.

        # Arguments

        * `mass` - The mass of the sphere.
        * `radius` - The radius of the sphere.

        # Returns
        A new [`Inertia`] object representing a sphere.
        """
    @staticmethod
    def zeros() -> Inertia:
        """Creates a new [`Inertia`] object with zero mass, zero center of mass, and zero
        inertia matrix.

        # Returns
        A new [`Inertia`] object with all properties set to zero.
        """
    @property
    def mass(self) -> float:
        """The mass."""
    @property
    def com(self) -> _Array:
        """(3,) the centre of mass (a copy)."""
    @property
    def lever(self) -> _Array:
        """Returns the lever (center of mass) of the inertia.

        This is an alias for the `com` property.
        """
    @property
    def inertia(self) -> _Array:
        """(3, 3) the rotational inertia about the centre of mass (a copy)."""
    def __add__(self, value: Inertia, /) -> Inertia:
        """The inertia of both bodies together."""
    def __copy__(self) -> Inertia: ...
    def __deepcopy__(self, memo: object) -> Inertia: ...

@final
class JointType:
    """Enum representing the type of joint."""

    Continuous: ClassVar[JointType]
    Fixed: ClassVar[JointType]
    Prismatic: ClassVar[JointType]
    Revolute: ClassVar[JointType]
    FreeFlyer: ClassVar[JointType]
    def __int__(self) -> int: ...
    def __copy__(self) -> JointType: ...
    def __deepcopy__(self, memo: object) -> JointType: ...

@final
class JointModel:
    """A Python wrapper for the `JointWrapper` type."""

    @property
    def joint_type(self) -> JointType:
        """The kind of joint: a new JointType object on each read, so compare int() or repr()
        with a member's (`int(j.joint_type) == int(JointType.Revolute)`), not `==`."""
    @property
    def nq(self) -> int:
        """The number of configuration coordinates."""
    @property
    def nv(self) -> int:
        """The number of velocity coordinates."""
    @property
    def axis(self) -> _Array | None:
        """The joint's axis as given (a copy), or None for joints without one."""
    def __copy__(self) -> JointModel: ...
    def __deepcopy__(self, memo: object) -> JointModel: ...

@final
class FrameType:
    """The kind of a frame."""

    Operational: ClassVar[FrameType]
    Joint: ClassVar[FrameType]
    Fixed: ClassVar[FrameType]
    Body: ClassVar[FrameType]
    Sensor: ClassVar[FrameType]
    def __int__(self) -> int: ...
    def __copy__(self) -> FrameType: ...
    def __deepcopy__(self, memo: object) -> FrameType: ...

@final
class Frame:
    """A named frame attached to a joint (and to a parent frame) at a fixed placement."""

    def __new__(
        cls,
        name: str,
        parent_joint: int,
        parent_frame: int,
        placement: SE3,
        frame_type: FrameType,
        inertia: Inertia,
    ) -> Frame: ...
    @property
    def name(self) -> str: ...
    @property
    def parent_joint(self) -> int:
        """The id of the joint the frame moves with."""
    @property
    def parent_frame(self) -> int:
        """The id of the parent frame."""
    @property
    def frame_type(self) -> FrameType:
        """The kind of frame: a new FrameType object on each read, so compare int() or repr()
        with a member's, not `==`."""
    @property
    def placement(self) -> SE3:
        """The placement in the parent joint's frame (a copy)."""
    @property
    def inertia(self) -> Inertia:
        """The inertia the frame carries (a copy)."""
    def __copy__(self) -> Frame: ...
    def __deepcopy__(self, memo: object) -> Frame: ...

@final
class Model:
    """A [`Model`] is a data structure that contains the information about the robot model,
    including the joints models, placements, the link inertias, and the frames."""

    def __new__(cls) -> Model:
        """An empty model: the world joint and the universe frame only."""
    @property
    def name(self) -> str:
        """The robot's name (settable)."""
    @name.setter
    def name(self, value: str) -> None: ...
    @property
    def nq(self) -> int:
        """The size of a configuration q."""
    @property
    def nv(self) -> int:
        """The size of a velocity v (and of accelerations and torques)."""
    @property
    def gravity(self) -> _Array:
        """The gravity acceleration in world coordinates (a length-3 float64 array; settable)."""
    @gravity.setter
    def gravity(self, value: _Array) -> None: ...
    @property
    def njoints(self) -> int:
        """The number of joints, the world joint included."""
    @property
    def nframes(self) -> int:
        """The number of frames."""
    @property
    def joint_names(self) -> list[str]: ...
    @property
    def joint_parents(self) -> list[int]:
        """The id of each joint's parent joint (the world joint's own: 0)."""
    @property
    def joint_placements(self) -> list[SE3]:
        """Each joint's placement in its parent joint's frame (copies)."""
    @property
    def joint_models(self) -> list[JointModel]:
        """Copies of the joint models, in joint order."""
    @property
    def inertias(self) -> list[Inertia]:
        """The inertia of each joint's body, in its joint's frame (copies)."""
    @property
    def frames(self) -> list[Frame]:
        """Copies of the frames, in frame order."""
    @property
    def joint_q_offsets(self) -> list[int]:
        """Where each joint's block starts in q (the world joint: 0)."""
    @property
    def joint_v_offsets(self) -> list[int]:
        """Where each joint's block starts in v (the world joint: 0)."""
    @property
    def lower_limits(self) -> _Array:
        """(nq,) the joints' lower position bounds as stored (-inf where unbounded)."""
    @property
    def upper_limits(self) -> _Array:
        """(nq,) the joints' upper position bounds as stored (+inf where unbounded)."""
    @property
    def velocity_limits(self) -> _Array:
        """(nv,) each moving joint's velocity bound as stored (+inf where unbounded)."""
    @property
    def effort_limits(self) -> _Array:
        """(nv,) each moving joint's effort bound as stored (+inf where unbounded)."""
    def add_joint(
        self, parent_id: int, joint_model: JointModel, placement: SE3, name: str
    ) -> int:
        """Adds a joint to the model.

        # Arguments

        * `parent_id` - The identifier of the parent joint.
        * `joint_model` - The joint model to add.
        * `placement` - The placement of the joint in the parent frame.
        * `name` - The name of the joint.
        """
    def get_joint_id(self, name: str) -> int | None:
        """The id of the joint with this name, or None."""
    def get_frame_id(self, name: str) -> int | None:
        """The id of the first frame with this name, or None."""
    def create_data(self) -> Data:
        """A new `Data` for this model."""
    def add_frame(self, frame: Frame, append_inertia: bool) -> int:
        """Adds a frame and returns its id; with `append_inertia` the frame's inertia is
        added to its parent joint's body."""
    def __copy__(self) -> Model: ...
    def __deepcopy__(self, memo: object) -> Model: ...

@final
class Data:
    """A Python wrapper for the `Data` struct."""

    def __new__(cls, model: Model) -> Data:
        """The working memory of the algorithms for `model` (the same as `model.create_data()`)."""
    @property
    def joint_placements(self) -> list[SE3]:
        """Returns the placements of the joints in the world frame."""
    @property
    def oMi(self) -> list[SE3]:
        """Returns the placements of the joints in the world frame.

        This is an alias for `joint_placements`.
        """
    @property
    def frame_placements(self) -> list[SE3]:
        """The world placements of the frames, one per frame of the model, as computed by the
        last `update_frame_placements` (empty before)."""
    @property
    def oMf(self) -> list[SE3]:
        """The world placements of the frames, one per frame of the model, as computed by the
        last `update_frame_placements` (empty before).

        This is an alias for `frame_placements`.
        """
    def __copy__(self) -> Data: ...
    def __deepcopy__(self, memo: object) -> Data: ...

_Geometry = shapora.Capsule | shapora.Cone | shapora.Cuboid | shapora.Cylinder | shapora.Sphere

@final
class GeometryObject:
    """A Python wrapper for the `GeometryObject` struct."""

    def __new__(cls, *py_args: Any) -> GeometryObject:
        """GeometryObject(name, parent_joint, parent_frame, geometry, placement): a shape
        (Capsule, Cone, Cuboid, Cylinder or Sphere) attached to a joint and a frame."""
    @property
    def name(self) -> str: ...
    @property
    def parent_joint(self) -> int: ...
    @property
    def parent_frame(self) -> int: ...
    @property
    def placement(self) -> SE3:
        """The placement in the parent joint's frame (a copy)."""
    @property
    def disable_collision(self) -> bool: ...
    @property
    def geometry(self) -> shapora.Shape:
        """The shape (a copy)."""
    @property
    def mesh_color(self) -> _Array:
        """(4,) the colour as RGBA (settable from a float64 array of length 4)."""
    @mesh_color.setter
    def mesh_color(self, value: _Array) -> None: ...
    def __copy__(self) -> GeometryObject: ...
    def __deepcopy__(self, memo: object) -> GeometryObject: ...

@final
class GeometryModel:
    """A Python wrapper for the [`GeometryModel`] struct."""

    def __new__(cls) -> GeometryModel: ...
    def add_geometry_object(self, object: GeometryObject) -> int:
        """Adds a new geometry model to the list of models.

        # Arguments

        * `object` - The geometry object to be added to the model.

        # Returns

        The index of the added geometry object.
        """
    @property
    def geometry_objects(self) -> list[GeometryObject]:
        """Returns the list of geometry objects in the model."""
    @property
    def ngeoms(self) -> int:
        """The number of geometry objects."""
    def get_geometry_id(self, name: str) -> int | None:
        """Returns the ID of the geometry object with the given name, if it exists."""
    def create_data(self, data: Data) -> GeometryData:
        """Creates a new `GeometryData` object based on the provided model and data.

        # Arguments

        * `data` - The data to be used for creating the geometry data.
        # Returns

        A `GeometryData` object containing the geometry data for the model.
        """
    def __copy__(self) -> GeometryModel: ...
    def __deepcopy__(self, memo: object) -> GeometryModel: ...

@final
class GeometryData:
    """A Python wrapper for the `GeometryData` struct."""

    def __new__(cls, data: Data, geom_model: GeometryModel) -> GeometryData: ...
    def get_object_placement(self, object_index: int) -> SE3:
        """Returns the placement of the object of given index in the world frame.

        # Arguments

        * `object_index` - The index of the object.

        # Returns
        The object placement if it exists, otherwise `None`.
        """
    def update_geometry_data(self, data: Data, geom_model: GeometryModel) -> None:
        """Updates the geometry data using the updated model data and geometry model.

        # Arguments

        * `data` - The model data object.
        * `geom_model` - The geometry model object.
        """
    def __copy__(self) -> GeometryData: ...
    def __deepcopy__(self, memo: object) -> GeometryData: ...

# Configurations.

def neutral(model: Model) -> Configuration:
    """Python wrapper for the `neutral` function."""

def random_configuration(model: Model) -> Configuration:
    """A random configuration within the joints' position limits (where a bound is infinite,
    within [-2 pi, 2 pi)), from the calling thread's generator."""

def integrate(model: Model, q: _Array, v: _Array) -> _Array:
    """The configuration reached from `q` by moving along the velocity `v` for unit time
    (q ⊕ v): revolute and prismatic coordinates add, continuous joints turn their
    (cos, sin) pair. Returns a new array of size nq."""

def difference(model: Model, q0: _Array, q1: _Array) -> _Array:
    """The velocity v (size nv) such that `integrate(model, q0, v)` gives `q1`, the shortest
    such motion: continuous joints turn by at most pi."""

def interpolate(model: Model, q0: _Array, q1: _Array, t: float) -> _Array:
    """`integrate(model, q0, t * difference(model, q0, q1))`: q0 at t = 0, q1 at t = 1,
    along the shortest motion in between."""

def normalize(model: Model, q: _Array) -> _Array:
    """A copy of `q` with each continuous joint's (cos, sin) pair scaled to unit length
    (a zero pair becomes (1, 0)); other coordinates are unchanged."""

# Models from files.

def build_models_from_urdf(
    filepath: _Path,
    package_dir: _Path | None = None,
    *,
    root_joint: JointModel | None = None,
    check_meshes: bool = True,
    strict: bool = False,
) -> tuple[Model, GeometryModel, GeometryModel]:
    """A Python wrapper for the `build_models_from_urdf` function."""

def build_models_from_xml(
    xml: str,
    package_dir: _Path | None = None,
    *,
    root_joint: JointModel | None = None,
    check_meshes: bool = True,
    strict: bool = False,
) -> tuple[Model, GeometryModel, GeometryModel]:
    """The models of a URDF document given as text: the kinematic model and the collision and
    visual geometry models, as `build_models_from_urdf` reads them from a file."""

# Joint models.

def JointModelRX() -> JointModel:
    """Creates a new revolute joint model with `x` as axis of rotation."""

def JointModelRY() -> JointModel:
    """Creates a new revolute joint model with `y` as axis of rotation."""

def JointModelRZ() -> JointModel:
    """Creates a new revolute joint model with `z` as axis of rotation."""

def JointModelRevolute(axis: _Array) -> JointModel:
    """Creates a revolute joint model turning about `axis` (a length-3 float64 array; rotations
    use it normalised, `axis` keeps it as given)."""

def JointModelContinuous(axis: _Array) -> JointModel:
    """Creates a continuous joint model (a revolute joint without end stops) turning about `axis`;
    its angle is stored as (cos, sin), so nq = 2 and nv = 1."""

def JointModelPrismatic(axis: _Array) -> JointModel:
    """Creates a prismatic joint model sliding along `axis` as given (its length scales the
    motion)."""

def JointModelFixed() -> JointModel:
    """Creates a fixed joint model: attaches its child rigidly, with no coordinates."""

def JointModelFreeFlyer() -> JointModel:
    """Creates a free-flyer joint model (a floating base): q = (x, y, z, qx, qy, qz, qw), the
    child's position and unit quaternion (scalar last) in the parent, nq = 7; v = (w; v), the
    child's spatial velocity in its own frame, nv = 6. Move q with `integrate`."""

# Kinematics.

def forward_kinematics(model: Model, data: Data, q: _Array) -> None:
    """Computes the world placement of every joint for the configuration q (a contiguous
    (nq,) float64 array) into `data.oMi`."""

def update_frame_placements(model: Model, data: Data) -> None:
    """Computes the world placement of every frame from the joint placements of the last
    `forward_kinematics`; read them back as `data.frame_placements` (alias `data.oMf`)."""

def frame_placement(model: Model, data: Data, frame_id: int) -> SE3:
    """The world placement (SE3) of one frame from the joint placements of the last
    `forward_kinematics`."""

def joint_jacobian(
    model: Model,
    data: Data,
    q: _Array,
    joint_id: int,
    reference: _Reference = "local_world_aligned",
) -> _Array:
    """The (6, nv) Jacobian of a joint's frame, angular rows first. `reference` is 'local' (the
    frame's own coordinates), 'world' (world coordinates, linear part the velocity of the point
    at the world origin) or 'local_world_aligned' (world axes, linear part the velocity of the
    frame's origin). Runs forward kinematics for q first."""

def frame_jacobian(
    model: Model,
    data: Data,
    q: _Array,
    frame_id: int,
    reference: _Reference = "local_world_aligned",
) -> _Array:
    """The (6, nv) Jacobian of a frame, angular rows first. `reference` is 'local' (the frame's
    own coordinates), 'world' (world coordinates, linear part the velocity of the point at the
    world origin) or 'local_world_aligned' (world axes, linear part the velocity of the frame's
    origin). Runs forward kinematics for q first."""

def center_of_mass(model: Model, data: Data, q: _Array) -> _Array:
    """The (3,) world position of the centre of mass for q. Runs forward kinematics first."""

def jacobian_center_of_mass(model: Model, data: Data, q: _Array) -> _Array:
    """The (3, nv) Jacobian of the centre of mass (world coordinates) for q. Runs forward
    kinematics first."""

# Dynamics.

def rnea(model: Model, data: Data, q: _Array, v: _Array, a: _Array) -> Configuration:
    """Inverse dynamics by the recursive Newton-Euler algorithm: the joint torques tau (size
    nv) that give the robot in configuration q with velocity v the acceleration a."""

def inverse_dynamics(model: Model, data: Data, q: _Array, v: _Array, a: _Array) -> Configuration:
    """The same as `rnea`: the joint torques tau (size nv) for q, v and a."""

def aba(model: Model, data: Data, q: _Array, v: _Array, tau: _Array) -> Configuration:
    """Forward dynamics by the articulated-body algorithm: the joint accelerations (size nv)
    of the robot in configuration q with velocity v under the joint torques tau."""

def forward_dynamics(
    model: Model, data: Data, q: _Array, v: _Array, tau: _Array
) -> Configuration:
    """The same as `aba`: the joint accelerations (size nv) for q, v and tau."""

def crba(model: Model, data: Data, q: _Array) -> _Array:
    """The joint-space mass matrix M(q), (nv, nv), full and symmetric, by the composite rigid
    body algorithm."""

def nonlinear_effects(model: Model, data: Data, q: _Array, v: _Array) -> _Array:
    """C(q, v) v + g(q), (nv,): the joint torques rnea(q, v, 0)."""

def generalized_gravity(model: Model, data: Data, q: _Array) -> _Array:
    """g(q), (nv,): the joint torques that hold the robot still against gravity, rnea(q, 0, 0)."""

def kinetic_energy(model: Model, data: Data, q: _Array, v: _Array) -> float:
    """The kinetic energy 1/2 v^T M(q) v of the robot moving with velocity v."""

def potential_energy(model: Model, data: Data, q: _Array) -> float:
    """The potential energy -sum m_i g^T c_i of the bodies in gravity (c_i the world centre of
    mass of body i), whose gradient is g(q). Runs forward kinematics: data.oMi holds the
    placements for q afterwards."""

def total_mass(model: Model) -> float:
    """The sum of the body masses of the model."""

# Batches: one sample per row of 2-D float64 arrays, computed on `threads` worker threads.

def forward_kinematics_batch(model: Model, q: _Array, *, threads: int | None = None) -> _Array:
    """World placements of every joint for each row of q, shape (N, njoints, 4, 4): entry
    [i, j] is data.oMi[j].homogeneous after forward_kinematics for q[i]."""

def frame_placements_batch(
    model: Model, q: _Array, frame_ids: Sequence[int], *, threads: int | None = None
) -> _Array:
    """World placements of the frames `frame_ids` for each row of q, shape
    (N, len(frame_ids), 4, 4)."""

def rnea_batch(
    model: Model, q: _Array, v: _Array, a: _Array, *, threads: int | None = None
) -> _Array:
    """Joint torques by inverse dynamics for each row of q, v and a, shape (N, nv): row i is
    rnea(model, data, q[i], v[i], a[i])."""

def aba_batch(
    model: Model, q: _Array, v: _Array, tau: _Array, *, threads: int | None = None
) -> _Array:
    """Joint accelerations by forward dynamics for each row of q, v and tau, shape (N, nv):
    row i is aba(model, data, q[i], v[i], tau[i])."""

def _restore(class_name: str, state: bytes) -> Any:
    """Rebuilds a pickled object of class `class_name` from `state` (the reconstructor that
    every class's `__reduce__` names)."""
