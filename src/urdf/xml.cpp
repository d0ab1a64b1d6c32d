#include "urdf/xml.hpp"

#include <expat.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "urdf/xml_scan.hpp"

namespace kinetra::urdf {

namespace {
constexpr char kSeparator = '\x01';  // between namespace URI and local name in expat names
}  // namespace

// Collects the element tree from expat's callbacks.
class XmlBuilder {
 public:
  XmlDocument document;
  std::vector<std::uint32_t> open;       // the elements whose end tag is still to come
  std::uint32_t pending_namespaces = 0;  // declarations waiting for the next start tag
  std::string error;
  XML_Parser parser = nullptr;

  static void on_start(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<XmlBuilder*>(self)->start(name, attributes);
  }
  static void on_end(void* self, const XML_Char*) {
    auto* builder = static_cast<XmlBuilder*>(self);
    if (!builder->open.empty()) builder->open.pop_back();
  }
  static void on_namespace(void* self, const XML_Char* prefix, const XML_Char* uri) {
    auto* builder = static_cast<XmlBuilder*>(self);
    builder->document.namespaces_.push_back(
        {builder->store(prefix ? prefix : ""), builder->store(uri ? uri : "")});
    ++builder->pending_namespaces;
  }
  static void on_doctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* builder = static_cast<XmlBuilder*>(self);
    builder->error = "a document type declaration is not allowed";
    XML_StopParser(builder->parser, XML_FALSE);
  }

 private:
  XmlDocument::Text store(std::string_view s) {
    if (document.strings_.size() + s.size() > std::numeric_limits<std::uint32_t>::max()) {
      fail("document too large");
      return {};
    }
    const XmlDocument::Text t{static_cast<std::uint32_t>(document.strings_.size()),
                              static_cast<std::uint32_t>(s.size())};
    document.strings_ += s;
    return t;
  }

  void fail(const char* message) {
    if (error.empty()) error = message;
    XML_StopParser(parser, XML_FALSE);
  }

  // expat writes "uri<separator>local" for names in a namespace.
  std::pair<XmlDocument::Text, XmlDocument::Text> store_name(std::string_view name) {
    const auto at = name.find(kSeparator);
    if (at == std::string_view::npos) return {XmlDocument::Text{}, store(name)};
    const auto uri = store(name.substr(0, at));
    return {uri, store(name.substr(at + 1))};
  }

  void start(const XML_Char* name, const XML_Char** attributes) {
    auto& nodes = document.nodes_;
    if (!error.empty()) return;
    if (nodes.size() >= XmlElement::kNone - 1 ||
        document.attributes_.size() >= std::numeric_limits<std::uint32_t>::max() / 2) {
      fail("too many elements");
      return;
    }
    const auto index = static_cast<std::uint32_t>(nodes.size());
    XmlDocument::Node node;
    std::tie(node.namespace_uri, node.local_name) = store_name(name);
    node.first_attribute = static_cast<std::uint32_t>(document.attributes_.size());
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      const auto [uri, local] = store_name(a[0]);
      document.attributes_.push_back({local, uri, store(a[1])});
      ++node.attribute_count;
    }
    node.namespace_count = pending_namespaces;
    node.first_namespace =
        static_cast<std::uint32_t>(document.namespaces_.size()) - pending_namespaces;
    pending_namespaces = 0;
    if (!open.empty()) {
      auto& parent = nodes[open.back()];
      node.parent = open.back();
      if (parent.last_child == XmlElement::kNone) {
        parent.first_child = index;
      } else {
        nodes[parent.last_child].next_sibling = index;
      }
      parent.last_child = index;
    }
    nodes.push_back(node);
    open.push_back(index);
  }
};

std::expected<XmlDocument, std::string> XmlDocument::parse(std::string_view text) {
  return parse_owned(std::string(text));
}

std::expected<XmlDocument, std::string> XmlDocument::parse_owned(std::string&& text) {
  if (auto document = scan_plain_xml(text)) return std::move(*document);
  return parse_with_expat(text);
}

std::expected<XmlDocument, std::string> XmlDocument::parse_with_expat(std::string_view text) {
  XmlBuilder builder;
  const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
      XML_ParserCreateNS("UTF-8", kSeparator), &XML_ParserFree);
  if (!parser) return std::unexpected("out of memory");
  builder.parser = parser.get();
  // Size the tables from the markup so that they grow at most a few times.
  std::size_t tags = 0, equals = 0;
  for (const char c : text) {
    tags += c == '<';
    equals += c == '=';
  }
  builder.document.strings_.reserve(text.size() / 2);
  builder.document.nodes_.reserve(tags / 2 + 1);
  builder.document.attributes_.reserve(equals);
  XML_SetUserData(parser.get(), &builder);
  XML_SetElementHandler(parser.get(), &XmlBuilder::on_start, &XmlBuilder::on_end);
  XML_SetStartNamespaceDeclHandler(parser.get(), &XmlBuilder::on_namespace);
  XML_SetStartDoctypeDeclHandler(parser.get(), &XmlBuilder::on_doctype);

  // expat takes int lengths: feed large documents in pieces.
  constexpr std::size_t kChunk = std::size_t{1} << 30;
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min(kChunk, text.size() - offset);
    const bool last = offset + length == text.size();
    if (XML_Parse(parser.get(), text.data() + offset, static_cast<int>(length), last) !=
        XML_STATUS_OK) {
      const std::string what =
          builder.error.empty() ? XML_ErrorString(XML_GetErrorCode(parser.get())) : builder.error;
      return std::unexpected(what + " at " +
                             std::to_string(XML_GetCurrentLineNumber(parser.get())) + ":" +
                             std::to_string(XML_GetCurrentColumnNumber(parser.get()) + 1));
    }
    offset += length;
  } while (offset < text.size());
  return std::move(builder.document);
}

std::string_view XmlElement::local_name() const {
  return document_->text(document_->nodes_[index_].local_name);
}

std::string_view XmlElement::namespace_uri() const {
  return document_->text(document_->nodes_[index_].namespace_uri);
}

std::optional<std::string_view> XmlElement::attribute(std::string_view name) const {
  const auto& node = document_->nodes_[index_];
  for (std::uint32_t i = 0; i < node.attribute_count; ++i) {
    const auto& a = document_->attributes_[node.first_attribute + i];
    if (a.namespace_uri.length == 0 && document_->text(a.name) == name)
      return document_->text(a.value);
  }
  return std::nullopt;
}

std::optional<XmlElement> XmlElement::first_child(std::string_view local_name) const {
  for (const XmlElement child : children()) {
    if (child.local_name() == local_name) return child;
  }
  return std::nullopt;
}

XmlElement::Children::iterator& XmlElement::Children::iterator::operator++() {
  index_ = document_->nodes_[index_].next_sibling;
  return *this;
}

XmlElement::Children::iterator XmlElement::Children::begin() const {
  return {document_, document_->nodes_[parent_].first_child};
}

namespace {
void append_escaped(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}
}  // namespace

std::string XmlElement::label() const {
  std::string out = "<" + std::string(local_name());
  if (const auto name = attribute("name")) {
    out += " name=\"";
    for (const char c : *name) {
      switch (c) {
        case '"':
          out += "&quot;";
          break;
        case '&':
          out += "&amp;";
          break;
        case '<':
          out += "&lt;";
          break;
        case '>':
          out += "&gt;";
          break;
        default:
          out += c;
      }
    }
    out += '"';
  }
  return out + ">";
}

std::string XmlElement::debug_text() const {
  const XmlDocument& d = *document_;
  const auto& node = d.nodes_[index_];
  std::string out = "Element { tag_name: ";
  if (node.namespace_uri.length != 0) out += "{" + std::string(d.text(node.namespace_uri)) + "}";
  out += std::string(local_name()) + ", attributes: [";
  for (std::uint32_t i = 0; i < node.attribute_count; ++i) {
    const auto& a = d.attributes_[node.first_attribute + i];
    if (i != 0) out += ", ";
    out += "Attribute { name: ";
    if (a.namespace_uri.length != 0) out += "{" + std::string(d.text(a.namespace_uri)) + "}";
    out += std::string(d.text(a.name)) + ", value: ";
    append_escaped(out, d.text(a.value));
    out += " }";
  }
  out += "], namespaces: [";
  // In-scope declarations, innermost first; an inner declaration hides an outer one.
  std::vector<const XmlDocument::Namespace*> scope;
  for (std::uint32_t at = index_; at != kNone; at = d.nodes_[at].parent) {
    const auto& n = d.nodes_[at];
    for (std::uint32_t i = 0; i < n.namespace_count; ++i) {
      const auto& declared = d.namespaces_[n.first_namespace + i];
      const bool hidden = std::any_of(scope.begin(), scope.end(), [&](const auto* seen) {
        return d.text(seen->prefix) == d.text(declared.prefix);
      });
      if (!hidden) scope.push_back(&declared);
    }
  }
  for (std::size_t i = 0; i < scope.size(); ++i) {
    if (i != 0) out += ", ";
    out += "Namespace { name: ";
    if (scope[i]->prefix.length == 0) {
      out += "None";
    } else {
      out += "Some(";
      append_escaped(out, d.text(scope[i]->prefix));
      out += ")";
    }
    out += ", uri: ";
    append_escaped(out, d.text(scope[i]->uri));
    out += " }";
  }
  out += "] }";
  return out;
}

}  // namespace kinetra::urdf
