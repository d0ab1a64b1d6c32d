// libFuzzer target: any bytes given to the URDF reader, plainly or strictly, end in a
// result or an error value, never a crash, hang or leak. Built and run by `make fuzz`.
// Each input also goes through the plain scanner and through expat: a text the scanner
// reads must give expat's tree, and a text it declines must come back as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tree_compare.hpp"
#include "urdf/paths.hpp"
#include "urdf/reader.hpp"
#include "urdf/xml_scan.hpp"

namespace {

[[noreturn]] void differ(const std::string& what) {
  std::fprintf(stderr, "plain scanner and expat differ: %s\n", what.c_str());
  std::abort();
}

void compare_with_expat(std::string_view text) {
  using kinetra::urdf::XmlDocument;
  std::string scanned(text);
  const auto plain = kinetra::urdf::scan_plain_xml(scanned);
  if (!plain) {
    if (scanned != text) differ("a declined text was changed");
    return;
  }
  const auto expat = XmlDocument::parse_with_expat(text);
  if (!expat) differ("the scanner read a text expat refuses (" + expat.error() + ")");
  if (const std::string d = kinetra::urdf::tree_difference(*plain, *expat); !d.empty())
    differ("scanner vs expat, " + d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  compare_with_expat(text);
  if (!kinetra::urdf::is_valid_utf8(text)) return 0;  // the file reader refuses these
  (void)kinetra::urdf::build_models_from_urdf_text(text, std::string("/tmp"));
  // The strict checks, and mesh names that need not exist.
  const kinetra::urdf::ReadOptions strict{.check_meshes = false, .strict = true};
  (void)kinetra::urdf::build_models_from_urdf_text(text, std::string("/tmp"), strict);
  return 0;
}
