// The batch functions: forward kinematics, frame placements, rnea and aba over the rows of
// 2-D arrays, computed with the interpreter lock released.
//
// Everything Python is settled while the lock is held: the arguments are checked, the
// inputs that are not packed row-major are copied, the result array is allocated and
// the model is claimed shared (by the `const Model&` parameter) until the call returns.
// The workers then read the model and the input buffers and write only their own rows
// of the result's buffer.
#include <algorithm>
#include <string>
#include <thread>

#include "model/argument_checks_py.hpp"
#include "model/batch.hpp"
#include "module/bindings.hpp"
#include "python/array.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"
#include "python/unlocked.hpp"

namespace kinetra::python {
namespace {

FunctionTable& batch_functions() {
  static FunctionTable& table = FunctionTable::define("kinetra");
  return table;
}

std::string shape_text(std::span<const std::ptrdiff_t> shape) {
  std::string text = "(";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(shape[i]);
  }
  return text + (shape.size() == 1 ? ",)" : ")");
}

// The rows of a (N, width) float64 array: `rows` when given (the N of an earlier
// argument), any N otherwise. ValueError naming the parameter unless it fits.
std::size_t batch_rows(const char* name, const AnyArray& array, std::size_t width,
                       std::optional<std::size_t> rows = std::nullopt) {
  const NdArrayView& view = array.view();
  const bool fits = view.ndim() == 2 && static_cast<std::size_t>(view.dim(1)) == width &&
                    (!rows || static_cast<std::size_t>(view.dim(0)) == *rows);
  if (!fits) {
    const std::string n = rows ? std::to_string(*rows) : "N";
    raise(PyExc_ValueError, "Parameter '" + std::string(name) + "' expected shape (" + n + ", " +
                                std::to_string(width) + "), but got " + shape_text(view.shape()));
  }
  if (!array.float64()) {
    raise(PyExc_ValueError, "Parameter '" + std::string(name) +
                                "' expected dtype float64, but got " + array.dtype_name());
  }
  return static_cast<std::size_t>(view.dim(0));
}

// More workers than this only cost thread starts: the results are the same bits.
constexpr std::int64_t kMaxWorkers = 256;

// None: one worker per core. At most kMaxWorkers, so that a huge count cannot start a
// thread per row.
std::size_t worker_count(std::optional<std::int64_t> threads) {
  if (!threads) return std::max(1u, std::thread::hardware_concurrency());
  if (*threads < 1) {
    raise(PyExc_ValueError, "threads must be at least 1, got " + std::to_string(*threads));
  }
  return static_cast<std::size_t>(std::min(*threads, kMaxWorkers));
}

std::span<double> filled(const NewArray& result, std::size_t size) { return {result.data, size}; }

// Sets the single call's exception for a failing row, with a note naming the row.
[[noreturn]] void raise_in_row(PyObject* type, const std::string& message, std::size_t row) {
  PyErr_SetString(type, message.c_str());
  throw_with_note("in row " + std::to_string(row) + " of the batch");
}

constexpr const char* kBatchDoc =
    " Each row of the 2-D float64 arrays is one sample (any memory layout). The rows are "
    "split over `threads` worker threads (default: one per core; at most 256), computed without "
    "the "
    "interpreter lock; the results are bitwise those of the single call row by row. The model "
    "cannot be changed while the batch runs.";

}  // namespace

Ref forward_kinematics_batch_function() {
  return batch_functions().function(
      "forward_kinematics_batch", {"model", "q", "*", "threads=None"},
      [](const Model& model, AnyArray q, std::optional<std::int64_t> threads) {
        const std::size_t rows = batch_rows("q", q, model.nq());
        const std::size_t workers = worker_count(threads);
        const RowMajorValues qs(q.view());
        const std::size_t shape[] = {rows, model.njoints(), 4, 4};
        NewArray result = new_array(shape);
        {
          const UnlockedInterpreter unlocked;
          forward_kinematics_batch(model, rows, qs.span(),
                                   filled(result, rows * model.njoints() * 16), workers);
        }
        return std::move(result.array);
      },
      std::string("World placements of every joint for each row of q, shape (N, njoints, 4, 4): "
                  "entry [i, j] is data.oMi[j].homogeneous after forward_kinematics for q[i].") +
          kBatchDoc);
}

Ref frame_placements_batch_function() {
  return batch_functions().function(
      "frame_placements_batch", {"model", "q", "frame_ids", "*", "threads=None"},
      [](const Model& model, AnyArray q, std::vector<std::size_t> frame_ids,
         std::optional<std::int64_t> threads) {
        const std::size_t rows = batch_rows("q", q, model.nq());
        for (const std::size_t id : frame_ids) {
          check_index("frame_id", id, model.nframes(), "frames");
        }
        const std::size_t workers = worker_count(threads);
        const RowMajorValues qs(q.view());
        const std::size_t shape[] = {rows, frame_ids.size(), 4, 4};
        NewArray result = new_array(shape);
        {
          const UnlockedInterpreter unlocked;
          frame_placements_batch(model, rows, qs.span(), frame_ids,
                                 filled(result, rows * frame_ids.size() * 16), workers);
        }
        return std::move(result.array);
      },
      std::string(
          "World placements of the frames `frame_ids` (a sequence of frame ids) for each "
          "row of q, shape (N, len(frame_ids), 4, 4): entry [i, k] is frame_placement(model, "
          "data, frame_ids[k]).homogeneous after forward_kinematics for q[i].") +
          kBatchDoc);
}

Ref rnea_batch_function() {
  return batch_functions().function(
      "rnea_batch", {"model", "q", "v", "a", "*", "threads=None"},
      [](const Model& model, AnyArray q, AnyArray v, AnyArray a,
         std::optional<std::int64_t> threads) {
        const std::size_t rows = batch_rows("q", q, model.nq());
        batch_rows("v", v, model.nv(), rows);
        batch_rows("a", a, model.nv(), rows);
        const std::size_t workers = worker_count(threads);
        const RowMajorValues qs(q.view()), vs(v.view()), as(a.view());
        const std::size_t shape[] = {rows, model.nv()};
        NewArray result = new_array(shape);
        {
          const UnlockedInterpreter unlocked;
          rnea_batch(model, rows, qs.span(), vs.span(), as.span(),
                     filled(result, rows * model.nv()), workers);
        }
        return std::move(result.array);
      },
      std::string("Joint torques by inverse dynamics for each row of q, v and a, shape (N, nv): "
                  "row i is rnea(model, data, q[i], v[i], a[i]).") +
          kBatchDoc);
}

Ref aba_batch_function() {
  return batch_functions().function(
      "aba_batch", {"model", "q", "v", "tau", "*", "threads=None"},
      [](const Model& model, AnyArray q, AnyArray v, AnyArray tau,
         std::optional<std::int64_t> threads) {
        const std::size_t rows = batch_rows("q", q, model.nq());
        batch_rows("v", v, model.nv(), rows);
        batch_rows("tau", tau, model.nv(), rows);
        const std::size_t workers = worker_count(threads);
        const RowMajorValues qs(q.view()), vs(v.view()), taus(tau.view());
        const std::size_t shape[] = {rows, model.nv()};
        NewArray result = new_array(shape);
        std::expected<void, RowFailure<SingularJointError>> done;
        {
          const UnlockedInterpreter unlocked;
          done = aba_batch(model, rows, qs.span(), vs.span(), taus.span(),
                           filled(result, rows * model.nv()), workers);
        }
        if (!done) {
          raise_in_row(PyExc_ValueError,
                       "Forward dynamics failed: " +
                           display_text(ForwardDynamicsError(std::move(done.error().error))),
                       done.error().row);
        }
        return std::move(result.array);
      },
      std::string("Joint accelerations by forward dynamics for each row of q, v and tau, shape "
                  "(N, nv): row i is aba(model, data, q[i], v[i], tau[i]). A failing row raises "
                  "the single call's ValueError with a note naming the smallest such row.") +
          kBatchDoc);
}

}  // namespace kinetra::python
