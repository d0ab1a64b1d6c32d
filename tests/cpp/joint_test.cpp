#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "base/panic.hpp"
#include "joint/continuous.hpp"
#include "joint/fixed.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "model/configurations.hpp"
#include "model/model.hpp"

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;

std::string panic_text(auto&& f) {
  try {
    f();
  } catch (const Panic& panic) {
    return panic.what();
  }
  return "no panic";
}

TEST(Joints, RevoluteAxisIsNormalisedButReportedAsStored) {
  const JointModelRevolute z(Vector3D::z()), z2(Vector3D(0, 0, 2));
  const double zero[1] = {0.0}, quarter[1] = {kPi / 2};
  EXPECT_EQ(z.transform(zero), SE3::identity());  // exactly
  EXPECT_EQ(z2.transform(quarter), z.transform(quarter));
  EXPECT_EQ(z2.get_axis()[0].rotation(), Vector3D(0, 0, 2));
  auto data = z.create_joint_data();
  ASSERT_TRUE(data->update(z, quarter).has_value());
  EXPECT_EQ(static_cast<JointDataRevolute&>(*data).q, kPi / 2);
}

TEST(Joints, ContinuousUsesTheDirectionOfThePair) {
  const JointModelContinuous joint(Vector3D::z());
  const double quarter[2] = {0.0, 1.0}, long_quarter[2] = {0.0, 2.0}, zero[2] = {0.0, 0.0};
  EXPECT_EQ(joint.transform(long_quarter), joint.transform(quarter));
  EXPECT_EQ(joint.transform(zero), SE3::identity());
  auto data = joint.create_joint_data();
  ASSERT_TRUE(data->update(joint, long_quarter).has_value());
  EXPECT_EQ(data->get_joint_placement(), joint.transform(quarter));
}

TEST(Joints, FixedDataIgnoresItsInput) {
  auto data = JointModelFixed().create_joint_data();
  const double anything[3] = {1, 2, 3};
  EXPECT_TRUE(data->update(JointModelRevolute(Vector3D::x()), anything).has_value());
  EXPECT_EQ(data->get_joint_placement(), SE3::identity());
  EXPECT_EQ(panic_text([] { JointModelPrismatic(Vector3D::z()).transform({}); }),
            "Matrix index out of bounds.");
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

TEST(Model, MixedConfigurationLayout) {
  Model model = Model::new_empty();
  ASSERT_TRUE(model.add_joint(0, std::make_unique<JointModelRevolute>(Vector3D::x()), SE3(), "r"));
  ASSERT_TRUE(
      model.add_joint(1, std::make_unique<JointModelContinuous>(Vector3D::y()), SE3(), "c"));
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
}

}  // namespace
}  // namespace kinetra
