#pragma once

#include <optional>
#include <string>

#include "urdf/xml.hpp"

namespace kinetra::urdf {

// The tree of a document written in the plain XML that robot files use, read in one
// pass without expat: UTF-8 with an optional XML declaration, comments, elements with
// ASCII names, attribute values without references or carriage returns, namespaces
// declared with URIs that are not empty or reserved. Gives the tree expat gives; gives
// nothing for any text outside that subset, well-formed or not, which expat then reads
// (and words the error for). The document keeps the text, its strings being pieces of
// it; the text is left as it was when there is no document.
std::optional<XmlDocument> scan_plain_xml(std::string& text);

}  // namespace kinetra::urdf
