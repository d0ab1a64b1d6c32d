#pragma once

// Inverse dynamics for kLanes samples at once: the passes of rnea_forward_pass and
// rnea_backward_pass with each quantity held as a short vector, one sample per lane.
// Every lane performs the IEEE operations of the single call in the same order (no fused
// multiply-add: the project compiles with -ffp-contract=off), so each lane's torques are
// bitwise those of the single call; the vector units only run the lanes side by side.

#include <cstddef>
#include <memory>
#include <span>

#include "model/model.hpp"

namespace kinetra {

inline constexpr std::size_t kLanes = 4;

// The lane state of one worker thread, sized to a model.
class RneaLanes {
 public:
  explicit RneaLanes(const Model& model);
  ~RneaLanes();
  RneaLanes(const RneaLanes&) = delete;
  RneaLanes& operator=(const RneaLanes&) = delete;

  // Torques for kLanes consecutive rows: q holds kLanes * nq values, v, a and tau
  // kLanes * nv, row after row. `model` is the one the state was made for.
  void run(const Model& model, std::span<const double> q, std::span<const double> v,
           std::span<const double> a, std::span<double> tau);

  struct State;  // the per-joint lane values, defined with the passes

 private:
  std::unique_ptr<State> state_;
};

}  // namespace kinetra
