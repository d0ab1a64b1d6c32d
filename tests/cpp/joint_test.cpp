#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "joint/continuous.hpp"
#include "joint/fixed.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "model/configurations.hpp"
#include "model/data.hpp"
#include "model/model.hpp"
#include "base/panic.hpp"
#include "base/random.hpp"

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string panic_text(auto&& f) {
  try {
    f();
  } catch (const Panic& panic) {
    return panic.what();
  }
  return "no panic";
}

void expect_near(const Vector3D& a, const Vector3D& b, double tol = 1e-15) {
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tol) << i;
}

TEST(Joints, KindsSizesAndNeutral) {
  const JointModelRevolute revolute(Vector3D::x());
  const JointModelContinuous continuous(Vector3D::y());
  const JointModelPrismatic prismatic(Vector3D::z());
  const JointModelFixed fixed;
  EXPECT_EQ(revolute.get_joint_type(), JointType::Revolute);
  EXPECT_EQ(continuous.get_joint_type(), JointType::Continuous);
  EXPECT_EQ(prismatic.get_joint_type(), JointType::Prismatic);
  EXPECT_EQ(fixed.get_joint_type(), JointType::Fixed);
  EXPECT_EQ((std::array{revolute.nq(), continuous.nq(), prismatic.nq(), fixed.nq()}),
            (std::array<std::size_t, 4>{1, 2, 1, 0}));
  EXPECT_EQ((std::array{revolute.nv(), continuous.nv(), prismatic.nv(), fixed.nv()}),
            (std::array<std::size_t, 4>{1, 1, 1, 0}));
  EXPECT_EQ(continuous.neutral(), Configuration::from_row_slice(std::array{1.0, 0.0}));
  EXPECT_EQ(revolute.neutral(), Configuration::zeros(1));
  EXPECT_EQ(fixed.neutral().len(), 0u);
  EXPECT_EQ(fixed.get_axis().size(), 0u);
  EXPECT_EQ(prismatic.get_axis()[0], SpatialMotion::from_translational_axis(Vector3D::z()));
  EXPECT_EQ(continuous.get_axis()[0], SpatialMotion::from_rotational_axis(Vector3D::y()));
}

TEST(Joints, RevoluteTransformAndUpdate) {
  const JointModelRevolute z(Vector3D::z()), z2(Vector3D(0, 0, 2));
  const double zero[1] = {0.0}, quarter[1] = {kPi / 2};
  EXPECT_EQ(z.transform(zero), SE3::identity());  // exactly
  expect_near(z.transform(quarter).act(Vector3D::x()), Vector3D::y());
  EXPECT_EQ(z2.transform(quarter), z.transform(quarter));  // the axis is normalised
  EXPECT_EQ(z2.get_axis()[0].rotation(), Vector3D(0, 0, 2));  // but reported as stored
  auto data = z.create_joint_data();
  EXPECT_EQ(data->get_joint_placement(), SE3::identity());
  ASSERT_TRUE(data->update(z, quarter).has_value());
  EXPECT_EQ(data->get_joint_placement(), z.transform(quarter));
  EXPECT_EQ(static_cast<JointDataRevolute&>(*data).q, kPi / 2);
}

TEST(Joints, ContinuousUsesTheDirectionOfThePair) {
  const JointModelContinuous joint(Vector3D::z());
  const double quarter[2] = {0.0, 1.0}, long_quarter[2] = {0.0, 2.0}, zero[2] = {0.0, 0.0};
  EXPECT_EQ(joint.transform(long_quarter), joint.transform(quarter));
  expect_near(joint.transform(quarter).act(Vector3D::x()), Vector3D::y());
  EXPECT_EQ(joint.transform(zero), SE3::identity());
  auto data = joint.create_joint_data();
  ASSERT_TRUE(data->update(joint, long_quarter).has_value());
  EXPECT_EQ(data->get_joint_placement(), joint.transform(quarter));
}

TEST(Joints, PrismaticTranslatesByTheStoredAxis) {
  const JointModelPrismatic z(Vector3D::z()), z2(Vector3D(0, 0, 2));
  const double half[1] = {0.5};
  EXPECT_EQ(z.transform(half), SE3(SpatialRotation::identity(), Vector3D(0, 0, 0.5)));
  EXPECT_EQ(z2.transform(half).translation(), Vector3D(0, 0, 1));
  auto data = z2.create_joint_data();
  ASSERT_TRUE(data->update(z2, half).has_value());
  EXPECT_EQ(data->get_joint_placement().translation(), Vector3D(0, 0, 1));
  EXPECT_EQ(panic_text([&] { z.transform({}); }), "Matrix index out of bounds.");
}

TEST(Joints, FixedNeverChanges) {
  const JointModelFixed fixed;
  auto data = fixed.create_joint_data();
  const double anything[3] = {1, 2, 3};
  EXPECT_TRUE(data->update(JointModelRevolute(Vector3D::x()), anything).has_value());
  EXPECT_EQ(data->get_joint_placement(), SE3::identity());
  EXPECT_EQ(fixed.transform({}), SE3::identity());
  EXPECT_EQ(fixed.random_configuration(thread_rng()).len(), 0u);
}

TEST(Joints, WrongCoordinateCountsStopWithTheAssertionText) {
  const double one[1] = {0.0}, two[2] = {1.0, 0.0};
  const JointModelRevolute revolute(Vector3D::x());
  const JointModelContinuous continuous(Vector3D::x());
  const JointModelPrismatic prismatic(Vector3D::x());
  EXPECT_EQ(panic_text([&] { revolute.transform(two); }),
            "assertion `left == right` failed: Revolute joint model expects a single angle.\n"
            "  left: 2\n right: 1");
  EXPECT_EQ(panic_text([&] { revolute.create_joint_data()->update(revolute, {}); }),
            "assertion `left == right` failed: Revolute joint model expects a single angle.\n"
            "  left: 0\n right: 1");
  EXPECT_EQ(panic_text([&] { continuous.create_joint_data()->update(continuous, one); }),
            "assertion `left == right` failed: Continuous joint model expects two values (cosine "
            "and sine).\n  left: 1\n right: 2");
  EXPECT_EQ(panic_text([&] { prismatic.create_joint_data()->update(prismatic, two); }),
            "assertion `left == right` failed: Prismatic joint data update expects a single "
            "position value.\n  left: 2\n right: 1");
  EXPECT_EQ(panic_text([&] { JointModelFixed().transform(one); }),
            "assertion `left == right` failed: Fixed joint model expects no configuration.\n"
            "  left: 1\n right: 0");
}

TEST(Joints, UpdateWithoutAnAxisKeepsThePlacement) {
  const JointModelPrismatic prismatic(Vector3D::x());
  const JointModelRevolute revolute(Vector3D::x());
  const JointModelFixed fixed;
  const double half[1] = {0.5}, pair[2] = {0.0, 1.0};
  auto p = prismatic.create_joint_data();
  ASSERT_TRUE(p->update(prismatic, half).has_value());
  const auto missing = p->update(fixed, half);
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(debug_text(missing.error()), "MissingAttributeError(\"axis\")");
  EXPECT_EQ(p->get_joint_placement().translation(), Vector3D(0.5, 0, 0));
  auto r = revolute.create_joint_data();
  EXPECT_FALSE(r->update(fixed, half).has_value());
  EXPECT_EQ(r->get_joint_placement(), SE3::identity());
  auto c = JointModelContinuous(Vector3D::x()).create_joint_data();
  EXPECT_FALSE(c->update(fixed, pair).has_value());
}

TEST(Joints, RandomConfigurations) {
  ThreadRng& rng = thread_rng();
  JointModelRevolute bounded(Vector3D::x());
  bounded.limits.lower = Configuration::from_element(1, -1.0);
  bounded.limits.upper = Configuration::from_element(1, 1.0);
  const JointModelPrismatic unbounded(Vector3D::x());
  const JointModelContinuous continuous(Vector3D::x());
  for (int i = 0; i < 5000; ++i) {
    const double angle = bounded.random_configuration(rng)[0];
    EXPECT_TRUE(angle >= -1.0 && angle < 1.0) << angle;
    const double position = unbounded.random_configuration(rng)[0];
    EXPECT_TRUE(position >= -2 * kPi && position < 2 * kPi) << position;
    const Configuration pair = continuous.random_configuration(rng);
    EXPECT_NEAR(pair[0] * pair[0] + pair[1] * pair[1], 1.0, 1e-15);
  }
  JointModelRevolute empty(Vector3D::x());
  empty.limits.lower = empty.limits.upper = Configuration::from_element(1, 0.3);
  EXPECT_EQ(panic_text([&] { empty.random_configuration(rng); }), "cannot sample empty range");
  JointModelPrismatic huge(Vector3D::x());
  huge.limits.lower = Configuration::from_element(1, -1e308);
  huge.limits.upper = Configuration::from_element(1, 1e308);
  EXPECT_NE(panic_text([&] { huge.random_configuration(rng); }).find("Non-finite"),
            std::string::npos);
}

TEST(Model, MixedConfigurationLayout) {
  Model model = Model::new_empty();
  ASSERT_TRUE(model.add_joint(0, std::make_unique<JointModelRevolute>(Vector3D::x()), SE3(), "r"));
  ASSERT_TRUE(model.add_joint(1, std::make_unique<JointModelContinuous>(Vector3D::y()), SE3(), "c"));
  ASSERT_TRUE(model.add_joint(2, std::make_unique<JointModelPrismatic>(Vector3D::z()), SE3(), "p"));
  ASSERT_TRUE(model.add_joint(3, std::make_unique<JointModelFixed>(), SE3(), "f"));
  EXPECT_EQ(model.nq(), 4u);
  EXPECT_EQ(model.nv(), 3u);
  EXPECT_EQ(*neutral(model), Configuration::from_row_slice(std::array{0.0, 1.0, 0.0, 0.0}));
  for (int i = 0; i < 100; ++i) {
    const Configuration q = random_configuration(model);
    ASSERT_EQ(q.len(), 4u);
    EXPECT_NEAR(q[1] * q[1] + q[2] * q[2], 1.0, 1e-15);
  }
  const Data data = model.create_data();
  EXPECT_EQ(data.joint_data.size(), 5u);
  EXPECT_EQ(data.joint_placements, std::vector<SE3>(5, SE3::identity()));
}

}  // namespace
}  // namespace kinetra
