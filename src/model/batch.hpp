#pragma once

// The algorithms over many samples at once. A batch holds N samples row after row in
// contiguous row-major spans (q: N * nq, v / a / tau: N * nv) and writes its results
// straight into a span the caller provides. The rows are split into contiguous chunks,
// one per worker thread (the calling thread takes the first), each worker with its own
// Data; the model is only read. Every row runs the same passes as the single call, so
// the results are bitwise those of the single call row by row.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <expected>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "model/algorithms.hpp"
#include "model/data.hpp"
#include "model/model.hpp"

namespace kinetra {

// The rows [begin, end) of one worker.
struct RowRange {
  std::size_t begin;
  std::size_t end;
};

// `rows` split into min(threads, rows) contiguous chunks whose sizes differ by at most
// one, in row order; none for no rows. `threads` counts from 1 (0 is taken as 1).
std::vector<RowRange> split_rows(std::size_t rows, std::size_t threads);

// Calls work(c) for every chunk c < chunks and returns when all calls have returned:
// chunk 0 on the calling thread, each other chunk on a thread of its own (or on the
// calling thread when no thread can be started). `work` must not throw.
void run_chunks(std::size_t chunks, const std::function<void(std::size_t)>& work);

// The smallest failing row of a batch and the single call's error for it.
template <class E>
struct RowFailure {
  std::size_t row;
  E error;
};

// Runs row(workspace, i) -> std::expected<void, E> for every row i < rows over the chunks
// of split_rows, each worker with its own Workspace(model) (a Data unless given). Reports the
// failure of the smallest failing row whatever the timing: a worker visits its rows in order and
// stops at the first row past the smallest failure known so far. An exception thrown by a row (or
// by a worker's workspace) counts as that row's failure and is rethrown here, after every worker
// has finished, when its row is the smallest one.
template <class E, class Workspace = Data, class RowFunction>
std::expected<void, RowFailure<E>> for_each_row(const Model& model, std::size_t rows,
                                                std::size_t threads, const RowFunction& row) {
  struct Outcome {
    std::size_t row;
    std::optional<E> error;
    std::exception_ptr exception;
  };
  const std::vector<RowRange> chunks = split_rows(rows, threads);
  std::vector<std::optional<Outcome>> outcomes(chunks.size());
  std::atomic<std::size_t> first_failure{rows};
  run_chunks(chunks.size(), [&](std::size_t c) {
    std::size_t i = chunks[c].begin;
    try {
      Workspace workspace(model);
      for (; i < chunks[c].end && i < first_failure.load(std::memory_order_relaxed); ++i) {
        auto done = row(workspace, i);
        if (!done) {
          outcomes[c].emplace(Outcome{i, std::move(done.error()), nullptr});
          break;
        }
      }
    } catch (...) {
      outcomes[c].emplace(Outcome{i, std::nullopt, std::current_exception()});
    }
    if (!outcomes[c]) return;
    std::size_t known = first_failure.load(std::memory_order_relaxed);
    while (i < known && !first_failure.compare_exchange_weak(known, i, std::memory_order_relaxed)) {
    }
  });
  // Each chunk reports at most its first failure; the smallest row lies in the first
  // chunk that reports one.
  for (auto& outcome : outcomes) {
    if (!outcome) continue;
    if (outcome->exception) std::rethrow_exception(outcome->exception);
    return std::unexpected(RowFailure<E>{outcome->row, std::move(*outcome->error)});
  }
  return {};
}

// Each batch below takes its number of rows N; spans of other sizes are an internal
// failure.

// Each row's world placement of every joint (data.joint_placements after
// forward_kinematics) as a 4 x 4 homogeneous matrix, row-major. q holds N * nq values,
// `out` N * njoints * 16.
void forward_kinematics_batch(const Model& model, std::size_t rows, std::span<const double> q,
                              std::span<double> out, std::size_t threads);

// The world placement of the frames `frame_ids` (each below nframes) for each row, as
// frame_placement after forward_kinematics: `out` holds N * len(frame_ids) * 16 values.
void frame_placements_batch(const Model& model, std::size_t rows, std::span<const double> q,
                            std::span<const std::size_t> frame_ids, std::span<double> out,
                            std::size_t threads);

// Joint torques of inverse_dynamics for each row into `tau` (N * nv).
void rnea_batch(const Model& model, std::size_t rows, std::span<const double> q,
                std::span<const double> v, std::span<const double> a, std::span<double> tau,
                std::size_t threads);

// Joint accelerations of forward_dynamics for each row into `qdd` (N * nv); a singular
// joint reports the smallest row where one occurs (the rows after it are unspecified).
std::expected<void, RowFailure<SingularJointError>> aba_batch(
    const Model& model, std::size_t rows, std::span<const double> q, std::span<const double> v,
    std::span<const double> tau, std::span<double> qdd, std::size_t threads);

}  // namespace kinetra
