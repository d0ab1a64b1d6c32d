// A small extension built only for the tests: one class and a few functions that
// exercise each binding rule the library's classes rely on, including those whose
// first real users come later (defaults, setters, exclusive receivers, re-entrant
// conversions, reflected operators, enumerations, varargs, bool and str converters).
#include <optional>
#include <string>

#include "base/panic.hpp"
#include "python/array.hpp"
#include "python/class_def.hpp"
#include "python/errors.hpp"
#include "python/module.hpp"

namespace kinetra::python {
namespace {

struct Counter {
  double value = 0.0;
};

enum class Mode { Off = 0, On = 1 };

constexpr auto get_value = [](const Counter& self) { return self.value; };
constexpr auto set_value = [](Counter& self, double value) { self.value = value; };

Ref counter_class() {
  static ClassDef<Counter>& def =
      ClassDef<Counter>::define("Counter")
          .doc("A counter for the binding tests.")
          .constructor({"start", "step=None"},
                       [](double start, std::optional<double> step) {
                         return Counter{start + step.value_or(0.0)};
                       })
          .method("add", {"amount"},
                  [](Counter& self, double amount) {
                    self.value += amount;
                    return self.value;
                  })
          .method("peek_plus", {"amount"},
                  [](const Counter& self, double amount) { return self.value + amount; })
          .method("scaled", {"factor", "offset=None"},
                  [](const Counter& self, std::size_t factor, std::optional<double> offset) {
                    return Counter{self.value * static_cast<double>(factor) + offset.value_or(0)};
                  })
          .method("absorb", {"other"},
                  [](Counter& self, const Counter& other) { self.value += other.value; })
          .method("fail", {},
                  [](const Counter&) -> std::expected<double, std::string> {
                    return std::unexpected("counter failed");
                  })
          .method("explode", {}, [](const Counter&) -> double { panic("exploded on purpose"); })
          .method("row_major", {"array"},
                  [](const Counter&, const ValuesN& array) { return new_vector(array.span()); })
          .method("values", {"array"},
                  [](const Counter&, ArrayN array) {
                    std::vector<double> values;
                    array.view().for_each([&](double x) { values.push_back(x); });
                    return new_vector(values);
                  })
          .method("matrix_entry", {"matrix", "i", "j"},
                  [](const Counter&, Array2 m, std::size_t i, std::size_t j) {
                    return m.view().at(static_cast<std::ptrdiff_t>(i),
                                       static_cast<std::ptrdiff_t>(j));
                  })
          .method("vector_sum", {"vector"},
                  [](const Counter&, Array1 v) {
                    double sum = 0.0;
                    for (std::ptrdiff_t i = 0; i < v.view().dim(0); ++i) sum += v.view().at(i);
                    return sum;
                  })
          .method("matrix", {},
                  [](const Counter& self) {
                    const double values[6] = {self.value, 1, 2, 3, 4, 5};
                    return new_matrix(2, 3, values, MemoryOrder::ColumnMajor);
                  })
          .property("value", get_value, set_value)
          .property("alias", get_value, set_value)  // one setter, each error names its own
          .property("doubled", [](const Counter& self) { return 2 * self.value; })
          .add([](const Counter& a, const Counter& b) { return Counter{a.value + b.value}; })
          .multiply([](const Counter& a, double s) { return Counter{a.value * s}; })
          .reflected_multiply([](const Counter& a, double s) { return Counter{s * a.value}; })
          .subscript([](const Counter& self, std::size_t i) {
            return self.value + static_cast<double>(i);
          })
          .repr([](const Counter& self) { return "Counter(" + std::to_string(self.value) + ")"; });
  return def.type();
}

Ref mode_class() {
  static ClassDef<Mode>& def =
      ClassDef<Mode>::define("Mode").enumeration({{"Off", Mode::Off}, {"On", Mode::On}});
  return def.type();
}

// Registrations the toolkit must refuse, by kind; each one throws.
struct Scratch {};
constexpr auto reused = [](double x) { return x; };
constexpr auto reused_method = [](const Scratch&) { return 0.0; };

void register_badly(const std::string& kind) {
  static FunctionTable& functions = FunctionTable::define("toolkit_probe");
  ClassDef<Scratch>& scratch = ClassDef<Scratch>::define("Scratch");
  if (kind == "function") functions.function("f", {"a", "b", "c", "d"}, [](double a) { return a; });
  if (kind == "varargs") functions.function("g", {"a"}, [](VarArgs a) { return a.size(); });
  if (kind == "static_method") scratch.static_method("make", {}, [](double a) { return a; });
  if (kind == "method") scratch.method("m", {"a", "b"}, [](const Scratch&, double a) { return a; });
  if (kind == "constructor") scratch.constructor({"a"}, [] { return Scratch{}; });
  if (kind == "function_twice") {
    functions.function("first", {"x"}, reused);
    functions.function("second", {"x"}, reused);
  }
  if (kind == "method_twice") {
    scratch.method("first", {}, reused_method).method("second", {}, reused_method);
  }
}

PyModuleDef probe_def = {
    PyModuleDef_HEAD_INIT, "toolkit_probe", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace
}  // namespace kinetra::python

PyMODINIT_FUNC PyInit_toolkit_probe() {
  using namespace kinetra::python;
  return guarded<PyObject*>(nullptr, [] {
    init_numpy();
    Ref module = checked(PyModule_Create(&probe_def));
    PyObject* m = module.get();
    register_object(m, "Counter", counter_class());
    register_object(m, "Mode", mode_class());
    static FunctionTable& functions = FunctionTable::define("toolkit_probe");
    register_object(m, "join",
                    functions.function(
                        "join", {"text", "flag", "count=None"},
                        [](std::string text, bool flag, std::optional<std::size_t> count) {
                          return text + (flag ? "!" : "?") + std::to_string(count.value_or(0));
                        },
                        "Joins its arguments."));
    register_object(m, "count_args", functions.function("count_args", {"*args"}, [](VarArgs args) {
      return args.size();
    }));
    register_object(m, "mode_of", functions.function("mode_of", {"on"}, [](bool on) {
      return on ? Mode::On : Mode::Off;
    }));
    register_object(m, "nothing", functions.function("nothing", {}, [] {}));
    register_object(m, "register_badly",
                    functions.function("register_badly", {"kind"},
                                       [](std::string kind) { register_badly(kind); }));
    checked(PyObject_SetAttrString(m, "PanicException", panic_exception_type()));
    return module.release();
  });
}
