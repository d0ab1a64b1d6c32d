// libFuzzer target: any bytes given to the URDF reader, plainly or strictly, end in a
// result or an error value, never a crash, hang or leak. Built and run by `make fuzz`.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "urdf/paths.hpp"
#include "urdf/reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!kinetra::urdf::is_valid_utf8(text)) return 0;  // the file reader refuses these
  (void)kinetra::urdf::build_models_from_urdf_text(text, std::string("/tmp"));
  // The strict checks, and mesh names that need not exist.
  const kinetra::urdf::ReadOptions strict{.check_meshes = false, .strict = true};
  (void)kinetra::urdf::build_models_from_urdf_text(text, std::string("/tmp"), strict);
  return 0;
}
