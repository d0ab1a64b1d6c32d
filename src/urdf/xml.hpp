#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kinetra::urdf {

class XmlDocument;

// A read-only view of one element of an XmlDocument.
class XmlElement {
 public:
  XmlElement(const XmlDocument* document, std::uint32_t index)
      : document_(document), index_(index) {}

  std::string_view local_name() const;
  std::string_view namespace_uri() const;  // empty without a namespace
  // The value of the attribute written without a namespace prefix.
  std::optional<std::string_view> attribute(std::string_view name) const;
  // The first child element (document order) with this local name.
  std::optional<XmlElement> first_child(std::string_view local_name) const;
  std::uint32_t index() const { return index_; }
  bool operator==(const XmlElement& other) const = default;

  // Child elements in document order: for (XmlElement child : element.children()).
  class Children {
   public:
    class iterator {
     public:
      iterator(const XmlDocument* document, std::uint32_t index)
          : document_(document), index_(index) {}
      XmlElement operator*() const { return {document_, index_}; }
      iterator& operator++();
      bool operator==(const iterator&) const = default;

     private:
      const XmlDocument* document_;
      std::uint32_t index_;
    };
    iterator begin() const;
    iterator end() const { return {document_, kNone}; }

   private:
    friend class XmlElement;
    Children(const XmlDocument* document, std::uint32_t parent)
        : document_(document), parent_(parent) {}
    const XmlDocument* document_;
    std::uint32_t parent_;
  };
  Children children() const { return {document_, index_}; }

  // Element { tag_name: {uri}name, attributes: [...], namespaces: [...] }
  std::string debug_text() const;
  // The start tag with the name, as a reader would search for it: <joint name="elbow">,
  // or <joint> without a name; ", &, < and > in the name are written as entities.
  std::string label() const;

  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

 private:
  const XmlDocument* document_;
  std::uint32_t index_;
};

// A parsed XML document: elements with local names, namespace URIs, attributes and
// children in document order. Text, comments and processing instructions are not
// kept; a document type declaration is refused. All strings live in one buffer and
// the tree is a flat table, so parsing costs few allocations.
class XmlDocument {
 public:
  // Parses UTF-8 text; the error describes the fault and its position ("... at 3:14").
  static std::expected<XmlDocument, std::string> parse(std::string_view text);
  // The same without a copy of a plain document's text: the document keeps it.
  static std::expected<XmlDocument, std::string> parse_owned(std::string&& text);
  // The same through expat alone, which parse() leaves all but plain documents to.
  static std::expected<XmlDocument, std::string> parse_with_expat(std::string_view text);

  XmlElement root() const { return {this, 0}; }
  std::size_t element_count() const { return nodes_.size(); }
  // Element i in document order (the order of their start tags).
  XmlElement element(std::size_t i) const { return {this, static_cast<std::uint32_t>(i)}; }

 private:
  friend class XmlElement;
  friend class XmlBuilder;
  friend class XmlScanner;

  struct Text {  // a piece of strings_
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  struct Attribute {
    Text name;
    Text namespace_uri;  // empty when written without a prefix
    Text value;
  };
  struct Namespace {
    Text prefix;  // empty for the default namespace
    Text uri;
  };
  struct Node {
    Text local_name;
    Text namespace_uri;
    std::uint32_t first_attribute = 0, attribute_count = 0;
    std::uint32_t first_namespace = 0, namespace_count = 0;  // declared on this element
    std::uint32_t parent = XmlElement::kNone;
    std::uint32_t first_child = XmlElement::kNone, last_child = XmlElement::kNone;
    std::uint32_t next_sibling = XmlElement::kNone;
  };

  std::string_view text(Text t) const { return {strings_.data() + t.offset, t.length}; }

  std::string strings_;
  std::vector<Node> nodes_;
  std::vector<Attribute> attributes_;
  std::vector<Namespace> namespaces_;
};

}  // namespace kinetra::urdf
