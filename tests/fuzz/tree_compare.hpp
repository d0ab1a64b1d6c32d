// The first difference between two XML trees, as a person would read it: element count,
// then per element (document order) name, namespace, attributes in order, namespaces in
// scope and the child list. Empty when the trees are the same.
#pragma once

#include <string>

#include "urdf/xml.hpp"

namespace kinetra::urdf {

inline std::string children_text(const XmlElement& element) {
  std::string out;
  for (const XmlElement child : element.children()) out += std::to_string(child.index()) + " ";
  return out;
}

inline std::string tree_difference(const XmlDocument& a, const XmlDocument& b) {
  if (a.element_count() != b.element_count())
    return "element count " + std::to_string(a.element_count()) + " vs " +
           std::to_string(b.element_count());
  for (std::size_t i = 0; i < a.element_count(); ++i) {
    const XmlElement x = a.element(i), y = b.element(i);
    const std::string at = "element " + std::to_string(i) + ": ";
    if (x.debug_text() != y.debug_text()) return at + x.debug_text() + " vs " + y.debug_text();
    if (children_text(x) != children_text(y))
      return at + "children " + children_text(x) + "vs " + children_text(y);
  }
  return {};
}

}  // namespace kinetra::urdf
