#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "joint/continuous.hpp"
#include "joint/free_flyer.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "model/model_serial.hpp"
#include "spatial/spatial_serial.hpp"

namespace kinetra {
namespace {

template <class T>
T round_trip(const T& value) {
  auto loaded = serial::load<T>(serial::save(value));
  EXPECT_TRUE(loaded.has_value()) << loaded.error();
  return std::move(*loaded);
}

TEST(Serial, DoublesAndFloatsKeepTheirBits) {
  const double nan = std::bit_cast<double>(0x7ff8dead00000001ULL);
  const Vector3D v(-0.0, nan, std::numeric_limits<double>::denorm_min());
  const Vector3D back = round_trip(v);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(back[i]), std::bit_cast<std::uint64_t>(v[i]));
  }
  serial::Writer w;
  w.f32(-std::numeric_limits<float>::denorm_min());
  const std::string bytes = w.take();
  serial::Reader r(bytes);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(r.f32()),
            std::bit_cast<std::uint32_t>(-std::numeric_limits<float>::denorm_min()));
  EXPECT_TRUE(r.finish().has_value());
}

// What Python cannot reach: inertias merged into the world joint and world frame, and
// limits of every kind; the rebuilt motion subspace must match too.
TEST(Serial, ModelKeepsWorldInertiasLimitsAndSubspaces) {
  Model model = Model::new_named("m");
  const Inertia body(2.0, Vector3D(0.1, 0.2, 0.3), Symmetric3(1, 2, 3, 0.1, 0.2, 0.3));
  model.append_joint_inertia(WORLD_ID, body);
  model.append_frame_inertia(0, body);
  auto revolute = std::make_unique<JointModelRevolute>(Vector3D(0, 3, 4));
  revolute->limits.lower = Configuration::from_element(1, -1.5);
  auto continuous = std::make_unique<JointModelContinuous>(Vector3D(1, 1, 0));
  continuous->limits.effort = Configuration::from_element(2, 7.0);
  auto prismatic = std::make_unique<JointModelPrismatic>(Vector3D(0, 0, 2));
  prismatic->limits.velocity = Configuration::from_element(1, 0.5);
  ASSERT_TRUE(model.add_joint(0, std::make_unique<JointModelFreeFlyer>(), SE3(), "base"));
  ASSERT_TRUE(model.add_joint(1, std::move(revolute), SE3(), "a"));
  ASSERT_TRUE(model.add_joint(1, std::move(continuous), SE3(), "b"));
  ASSERT_TRUE(model.add_joint(3, std::move(prismatic), SE3(), "c"));
  ASSERT_TRUE(model.add_frame(Frame{"tip", 4, 0, SE3(), FrameType::Sensor, body}, true));

  const Model back = round_trip(model);
  EXPECT_EQ(back.inertias(), model.inertias());
  EXPECT_EQ(back.frames()[0].inertia, body);
  EXPECT_EQ(back.frames().back().name, "tip");
  EXPECT_EQ(back.gravity(), model.gravity());
  ASSERT_EQ(back.subspace_columns().size(), model.subspace_columns().size());
  for (std::size_t k = 0; k < model.subspace_columns().size(); ++k) {
    for (std::size_t c = 0; c < 6; ++c) {
      EXPECT_EQ(back.subspace_columns()[k][c], model.subspace_columns()[k][c]);
    }
  }
  for (std::size_t j = 2; j < model.njoints(); ++j) {
    const JointLimits& a = *model.joint_models()[j]->get_limits();
    const JointLimits& b = *back.joint_models()[j]->get_limits();
    EXPECT_TRUE(a.lower == b.lower && a.upper == b.upper && a.effort == b.effort &&
                a.velocity == b.velocity);
  }
  EXPECT_EQ(back.get_joint_id("c"), 4U);
  EXPECT_EQ(back.get_frame_id("tip", FrameType::Sensor), 1U);
}

TEST(Serial, CountsAreBoundedByTheBytesLeft) {
  serial::Writer w;
  w.size(std::size_t{1} << 40);  // a list of 2^40 doubles in eight bytes
  w.f64(1.0);
  const std::string bytes = w.take();
  serial::Reader r(bytes);
  EXPECT_TRUE(r.f64s().empty());
  EXPECT_EQ(r.finish().error(), "a count of 1099511627776 items exceeds the 8 bytes left");
}

}  // namespace
}  // namespace kinetra
