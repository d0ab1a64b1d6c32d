// Latency of the core algorithms (no Python): a 7-DoF arm and chains of 10 to 10 000
// joints. Reports the median over repeated batches. Run with `make bench`.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "joint/revolute.hpp"
#include "model/algorithms.hpp"
#include "model/dynamics_terms.hpp"

using namespace kinetra;

namespace {

Model arm() {
  constexpr double h = std::numbers::pi / 2;
  const double joints[7][6] = {{0, 0, 0.333, 0, 0, 0},        {0, 0, 0, -h, 0, 0},
                               {0, -0.316, 0, h, 0, 0},       {0.0825, 0, 0, h, 0, 0},
                               {-0.0825, 0.384, 0, -h, 0, 0}, {0, 0, 0, h, 0, 0},
                               {0.088, 0, 0, h, 0, 0}};
  Model model = Model::new_empty();
  for (std::size_t i = 0; i < 7; ++i) {
    const double* j = joints[i];
    const SE3 placement(SpatialRotation::from_euler_angles(j[3], j[4], j[5]),
                        Vector3D(j[0], j[1], j[2]));
    (void)model.add_joint(i, std::make_unique<JointModelRevolute>(Vector3D::z()), placement,
                          "joint" + std::to_string(i + 1));
    (void)model.add_frame(Frame{"link" + std::to_string(i + 1), i + 1, 0, SE3(), FrameType::Body,
                                Inertia(3.0 - 0.3 * i, Vector3D(0, -0.03, 0.05),
                                        Symmetric3(0.02, 0.02, 0.01, 0, 0, 0))},
                          true);
  }
  return model;
}

Model chain(std::size_t n) {
  Model model = Model::new_empty();
  const SE3 step(SpatialRotation::from_euler_angles(0.3, 0, 0), Vector3D(0, 0, 0.1));
  for (std::size_t i = 0; i < n; ++i) {
    (void)model.add_joint(i, std::make_unique<JointModelRevolute>(Vector3D::z()), step,
                          "joint" + std::to_string(i + 1));
    (void)model.add_frame(
        Frame{"link" + std::to_string(i + 1), i + 1, 0, SE3(), FrameType::Body,
              Inertia(1.0, Vector3D(0, 0, 0.05), Symmetric3(0.01, 0.01, 0.005, 0, 0, 0))},
        true);
  }
  return model;
}

// Median nanoseconds per call of f over `batches` batches of `per_batch` calls.
double median_ns(const std::function<void()>& f, int batches, int per_batch) {
  std::vector<double> samples;
  for (int b = 0; b < batches; ++b) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < per_batch; ++i) f();
    const auto stop = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::nano>(stop - start).count() / per_batch);
  }
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

// The first entry of a result; a failed call stops the benchmark instead of being read.
template <class Result>
double first(const Result& result) {
  if (!result) {
    std::fprintf(stderr, "bench_algorithms: a dynamics call failed on the benchmark model\n");
    std::exit(1);
  }
  return (*result)[0];
}

struct Timings {
  double fk, rnea, aba;
};

Timings measure(const Model& model, int per_batch) {
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> q(model.nq()), v(model.nv()), a(model.nv());
  for (double& x : q) x = u(rng);
  for (double& x : v) x = u(rng);
  for (double& x : a) x = u(rng);
  Data data = model.create_data();
  volatile double sink = 0;
  return {median_ns([&] { (void)forward_kinematics(model, data, q); }, 15, per_batch),
          median_ns([&] { sink = sink + first(inverse_dynamics(model, data, q, v, a)); }, 15,
                    per_batch),
          median_ns([&] { sink = sink + first(forward_dynamics(model, data, q, v, a)); }, 15,
                    per_batch)};
}

// The joint-space terms on the arm: crba, nonlinear_effects, kinetic_energy.
void print_arm_terms(const Model& model) {
  std::vector<double> q(model.nq(), 0.4), v(model.nv(), -0.3);
  Data data = model.create_data();
  volatile double sink = 0;
  const double m = median_ns([&] { sink = sink + crba(model, data, q)[0]; }, 15, 20000);
  const double h =
      median_ns([&] { sink = sink + nonlinear_effects(model, data, q, v)[0]; }, 15, 20000);
  const double k = median_ns([&] { sink = sink + kinetic_energy(model, data, q, v); }, 15, 20000);
  std::printf("  crba %.0f, nonlinear_effects %.0f, kinetic_energy %.0f\n", m, h, k);
}

}  // namespace

// Floating-point operations per axis-aligned revolute joint, counted from the passes
// (3-vectors as three numbers; the joint's sine and cosine not included); see
// docs/performance.md.
constexpr double kRneaFlops = 287, kAbaFlops = 1045;

int main() {
  const Timings t = measure(arm(), 20000);
  std::printf("7-DoF arm, median ns per call (targets 150, 250, 600):\n");
  std::printf("  forward_kinematics %.0f, rnea %.0f, aba %.0f\n", t.fk, t.rnea, t.aba);
  std::printf(
      "  per joint: rnea %.1f ns for ~%.0f flops (%.2f flop/ns), aba %.1f ns for ~%.0f flops "
      "(%.2f flop/ns)\n",
      t.rnea / 7, kRneaFlops, kRneaFlops * 7 / t.rnea, t.aba / 7, kAbaFlops, kAbaFlops * 7 / t.aba);
  print_arm_terms(arm());
  std::printf("%8s %22s %22s %22s\n", "joints", "fk ns/joint", "rnea ns/joint", "aba ns/joint");
  for (std::size_t n : {10u, 100u, 1000u, 10000u}) {
    const Timings c = measure(chain(n), std::max<int>(3, 200000 / static_cast<int>(n)));
    std::printf("%8zu %22.2f %22.2f %22.2f\n", n, c.fk / n, c.rnea / n, c.aba / n);
  }
}
