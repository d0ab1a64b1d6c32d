#pragma once

#include <array>
#include <cstddef>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "base/clone_ptr.hpp"
#include "joint/configuration.hpp"
#include "spatial/motion.hpp"
#include "spatial/se3.hpp"

namespace kinetra {

class ThreadRng;

enum class JointType { Continuous = 0, Fixed = 1, Prismatic = 2, Revolute = 3, FreeFlyer = 4 };

// Per-coordinate limits: lower and upper per q coordinate, effort and velocity per
// coordinate as the URDF reader fills them (a joint moving along nv coordinates uses
// the first nv entries).
struct JointLimits {
  Configuration effort;
  Configuration velocity;
  Configuration lower;
  Configuration upper;

  // effort and velocity +inf, lower -inf, upper +inf, for n coordinates.
  static JointLimits new_unbounded(std::size_t n);
};

// The one joint error: a joint attribute the update needs is missing.
struct JointError {
  std::string missing_attribute;  // only "axis" is produced
};
// MissingAttributeError("axis")
std::string debug_text(const JointError& error);

// The motion subspace of a joint: one motion per velocity coordinate, held inline
// (and left uninitialised past its size) so that asking for it costs next to nothing.
class MotionList {
 public:
  static constexpr std::size_t kCapacity = 6;
  MotionList() = default;
  explicit MotionList(const SpatialMotion& motion) { push_back(motion); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  SpatialMotion operator[](std::size_t i) const { return SpatialMotion(items_[i]); }
  // Appends a column; at most kCapacity.
  void push_back(const SpatialMotion& motion) {
    for (std::size_t c = 0; c < 6; ++c) items_[size_][c] = motion[c];
    ++size_;
  }

 private:
  std::array<std::array<double, 6>, kCapacity> items_;
  std::size_t size_ = 0;
};

class JointData;

// A joint kind: immutable once made; owned through unique pointers and copied
// with clone_box.
class JointModel {
 public:
  virtual ~JointModel() = default;

  virtual JointType get_joint_type() const = 0;
  virtual std::unique_ptr<JointModel> clone_box() const = 0;
  virtual std::size_t nq() const = 0;
  virtual std::size_t nv() const = 0;
  virtual Configuration neutral() const = 0;
  virtual std::unique_ptr<JointData> create_joint_data() const = 0;
  // The motion subspace; empty unless a joint says otherwise.
  virtual MotionList get_axis() const { return {}; }
  // The motion subspace the dynamics use: get_axis() with every rotational column
  // turned into a unit vector, since transform() rotates about the normalised axis.
  virtual MotionList motion_subspace() const { return get_axis(); }
  // The unit axis a rotational joint turns about (its axis normalised once); nullptr for
  // joints that do not turn about a fixed axis.
  virtual const Vector3D* unit_rotation_axis() const { return nullptr; }
  virtual Configuration random_configuration(ThreadRng& rng) const = 0;
  // The joint's own placement for its nq coordinates.
  virtual SE3 transform(std::span<const double> q) const = 0;
  // The axis as given when the joint was made (not normalised); none for joints
  // without a single axis.
  virtual std::optional<Vector3D> stored_axis() const { return std::nullopt; }
  // The joint's limits; none for joints that have no coordinates to bound.
  virtual const JointLimits* get_limits() const { return nullptr; }

  // The configuration space of the joint's block. The defaults are those of a vector
  // space (nq == nv): out = q + v, v = q1 - q0, nothing to normalise. `out` never
  // aliases an input.
  // q (nq) moved along v (nv) for unit time, into out (nq).
  virtual void integrate(std::span<const double> q, std::span<const double> v,
                         std::span<double> out) const;
  // The shortest v (nv) with integrate(q0, v) == q1, into out.
  virtual void difference(std::span<const double> q0, std::span<const double> q1,
                          std::span<double> out) const;
  // Projects q (nq) back onto the joint's configuration manifold, in place.
  virtual void normalize(std::span<double> q) const { (void)q; }
};

// The per-joint cache of the placement computed from the last coordinates.
class JointData {
 public:
  virtual ~JointData() = default;
  // The kind of joint model the data was made for.
  virtual JointType get_joint_type() const = 0;
  virtual std::unique_ptr<JointData> clone_box() const = 0;

  virtual SE3 get_joint_placement() const = 0;
  virtual std::expected<void, JointError> update(const JointModel& joint_model,
                                                 std::span<const double> q) = 0;
};

// Stops with the equality-assertion text of the joints:
// "assertion `left == right` failed: {explanation}\n  left: {left}\n right: {right}".
void assert_coordinate_count(std::size_t left, std::size_t right, const char* explanation);

// A joint model held by value: copies are deep (clone_box).
using JointWrapper = ClonePtr<JointModel>;

}  // namespace kinetra
