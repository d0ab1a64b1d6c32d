#include "model/batch.hpp"

#include <string>
#include <system_error>
#include <thread>

#include "base/panic.hpp"
#include "model/frame_kinematics.hpp"
#include "model/rnea_lanes.hpp"

namespace kinetra {

std::vector<RowRange> split_rows(std::size_t rows, std::size_t threads) {
  const std::size_t chunks = std::min(std::max<std::size_t>(threads, 1), rows);
  std::vector<RowRange> ranges;
  ranges.reserve(chunks);
  std::size_t begin = 0;
  for (std::size_t c = 0; c < chunks; ++c) {
    const std::size_t size = rows / chunks + (c < rows % chunks ? 1 : 0);
    ranges.push_back({begin, begin + size});
    begin += size;
  }
  return ranges;
}

void run_chunks(std::size_t chunks, const std::function<void(std::size_t)>& work) {
  if (chunks == 0) return;
  std::vector<std::jthread> workers;  // joined when they go out of scope
  workers.reserve(chunks - 1);
  std::size_t started = 1;
  for (; started < chunks; ++started) {
    try {
      workers.emplace_back(std::cref(work), started);
    } catch (const std::system_error&) {
      break;  // no more threads: the calling thread takes the rest
    }
  }
  work(0);
  for (std::size_t c = started; c < chunks; ++c) work(c);
}

namespace {

// Row i of a batch whose rows hold `width` values.
template <class T>
std::span<T> row_of(std::span<T> values, std::size_t width, std::size_t i) {
  return values.subspan(i * width, width);
}

void check_size(std::span<const double> values, std::size_t expected) {
  if (values.size() != expected) {
    panic("a batch of " + std::to_string(values.size()) + " values where " +
          std::to_string(expected) + " were expected");
  }
}

// The rows of these batches cannot fail once the sizes are checked.
struct NoFailure {};
using RowDone = std::expected<void, NoFailure>;

// A worker of rnea_batch: the lanes for full blocks of rows, a Data for the rest.
struct RneaWorkspace {
  explicit RneaWorkspace(const Model& model) : data(model), lanes(model) {}
  Data data;
  RneaLanes lanes;
};

// Forward kinematics for row i of q; its size was checked with the batch.
void place_joints(const Model& model, Data& data, std::span<const double> q, std::size_t i) {
  (void)forward_kinematics(model, data, row_of(q, model.nq(), i));
}

}  // namespace

void forward_kinematics_batch(const Model& model, std::size_t rows, std::span<const double> q,
                              std::span<double> out, std::size_t threads) {
  const std::size_t njoints = model.njoints();
  check_size(q, rows * model.nq());
  check_size(out, rows * njoints * 16);
  (void)for_each_row<NoFailure>(model, rows, threads, [&](Data& data, std::size_t i) -> RowDone {
    place_joints(model, data, q, i);
    const auto placements = row_of(out, njoints * 16, i);
    for (std::size_t j = 0; j < njoints; ++j) {
      data.joint_placements[j].write_homogeneous(placements.subspan(j * 16).first<16>());
    }
    return {};
  });
}

void frame_placements_batch(const Model& model, std::size_t rows, std::span<const double> q,
                            std::span<const std::size_t> frame_ids, std::span<double> out,
                            std::size_t threads) {
  const std::size_t count = frame_ids.size();
  check_size(q, rows * model.nq());
  check_size(out, rows * count * 16);
  for (const std::size_t id : frame_ids) {
    if (id >= model.nframes()) panic("frame id " + std::to_string(id) + " out of range");
  }
  (void)for_each_row<NoFailure>(model, rows, threads, [&](Data& data, std::size_t i) -> RowDone {
    place_joints(model, data, q, i);
    const auto placements = row_of(out, count * 16, i);
    for (std::size_t k = 0; k < count; ++k) {
      frame_placement(model, data, frame_ids[k])
          .write_homogeneous(placements.subspan(k * 16).first<16>());
    }
    return {};
  });
}

void rnea_batch(const Model& model, std::size_t rows, std::span<const double> q,
                std::span<const double> v, std::span<const double> a, std::span<double> tau,
                std::size_t threads) {
  const std::size_t nq = model.nq(), nv = model.nv();
  check_size(q, rows * nq);
  check_size(v, rows * nv);
  check_size(a, rows * nv);
  check_size(tau, rows * nv);
  // The workers take blocks of kLanes rows; a block that is not full (the last one) runs
  // row by row through the single call's passes.
  const std::size_t blocks = (rows + kLanes - 1) / kLanes;
  (void)for_each_row<NoFailure, RneaWorkspace>(
      model, blocks, threads, [&](RneaWorkspace& workspace, std::size_t block) -> RowDone {
        const std::size_t begin = block * kLanes, end = std::min(rows, begin + kLanes);
        if (end - begin == kLanes) {
          workspace.lanes.run(
              model, q.subspan(begin * nq, kLanes * nq), v.subspan(begin * nv, kLanes * nv),
              a.subspan(begin * nv, kLanes * nv), tau.subspan(begin * nv, kLanes * nv));
          return {};
        }
        for (std::size_t i = begin; i < end; ++i) {
          rnea_forward_pass(model, workspace.data, row_of(q, nq, i), row_of(v, nv, i),
                            row_of(a, nv, i));
          rnea_backward_pass(model, workspace.data, row_of(tau, nv, i));
        }
        return {};
      });
}

std::expected<void, RowFailure<SingularJointError>> aba_batch(
    const Model& model, std::size_t rows, std::span<const double> q, std::span<const double> v,
    std::span<const double> tau, std::span<double> qdd, std::size_t threads) {
  const std::size_t nq = model.nq(), nv = model.nv();
  check_size(q, rows * nq);
  check_size(v, rows * nv);
  check_size(tau, rows * nv);
  check_size(qdd, rows * nv);
  return for_each_row<SingularJointError>(
      model, rows, threads,
      [&](Data& data, std::size_t i) -> std::expected<void, SingularJointError> {
        aba_velocity_pass(model, data, row_of(q, nq, i), row_of(v, nv, i));
        if (auto factored = aba_articulated_pass(model, data, row_of(tau, nv, i)); !factored) {
          return std::unexpected(std::move(factored.error()));
        }
        aba_acceleration_pass(model, data, row_of(qdd, nv, i));
        return {};
      });
}

}  // namespace kinetra
