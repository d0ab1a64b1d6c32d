#include "urdf/xml_scan.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace kinetra::urdf {

namespace {

// Byte classes. A byte not marked for a context needs a closer look there.
constexpr std::uint8_t kSpace = 1;      // XML white space
constexpr std::uint8_t kNameStart = 2;  // first byte of a name (ASCII only)
constexpr std::uint8_t kName = 4;       // later bytes of a name part (no colon)
constexpr std::uint8_t kText = 8;       // plain character data
constexpr std::uint8_t kComment = 16;   // plain comment text
constexpr std::uint8_t kValue = 32;     // attribute value bytes kept as they are

constexpr std::array<std::uint8_t, 256> kClasses = [] {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0x20; c < 0x80; ++c) classes[c] = kText | kComment | kValue;
  for (const int c : {'\t', '\n', '\r'}) classes[c] = kSpace | kText | kComment;
  classes[' '] |= kSpace;
  for (int c = 'a'; c <= 'z'; ++c) classes[c] |= kNameStart | kName;
  for (int c = 'A'; c <= 'Z'; ++c) classes[c] |= kNameStart | kName;
  classes['_'] |= kNameStart | kName;
  for (int c = '0'; c <= '9'; ++c) classes[c] |= kName;
  classes['.'] |= kName;
  classes['-'] |= kName;
  classes['<'] &= ~(kText | kValue);
  classes['&'] &= ~(kText | kValue);
  classes[']'] &= ~kText;
  classes['-'] &= ~kComment;
  classes['"'] &= ~kValue;
  classes['\''] &= ~kValue;
  return classes;
}();

// Past about a gigabyte expat's limits and errors apply.
constexpr std::size_t kLargest = std::size_t{1} << 30;

constexpr std::string_view kXmlUri = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsUri = "http://www.w3.org/2000/xmlns/";

bool starts_with_xml(std::string_view name) {  // reserved prefixes, in any case
  return name.size() >= 3 && (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' &&
         (name[2] | 0x20) == 'l';
}

}  // namespace

class XmlScanner {
 public:
  explicit XmlScanner(std::string& text) : text_(text), s_(text) {}

  std::optional<XmlDocument> run() {
    if (text_.size() <= kLargest && scan()) {
      doc_.strings_ = std::move(text_);
      return std::move(doc_);
    }
    for (const auto& [at, c] : changed_) text_[at] = c;  // the text as it was, for expat
    return std::nullopt;
  }

 private:
  using Text = XmlDocument::Text;

  bool scan() {
    // Room for as many elements as '<' and attributes as '=' at once: growing the tables
    // of a large document would copy them and touch twice the memory.
    doc_.nodes_.reserve(static_cast<std::size_t>(std::count(s_.begin(), s_.end(), '<')));
    doc_.attributes_.reserve(static_cast<std::size_t>(std::count(s_.begin(), s_.end(), '=')));
    if (s_.starts_with("<?xml") && !declaration()) return false;
    return misc() && peek_is('<') && name_start(i_ + 1) && elements() && misc() && i_ == s_.size();
  }
  struct Name {
    std::string_view prefix;  // empty without one
    std::string_view local;
  };
  struct RawAttribute {
    Name name;
    Text value;
  };
  struct Binding {
    std::string_view prefix;  // empty for the default namespace
    Text uri;
  };
  struct Open {
    std::string_view qualified_name;  // as written, for the end tag
    std::uint32_t node;
    std::size_t bindings;  // bindings_ in scope outside the element
  };

  bool has(std::uint8_t cls) const {
    return i_ < s_.size() && (kClasses[static_cast<unsigned char>(s_[i_])] & cls);
  }
  bool peek_is(char c) const { return i_ < s_.size() && s_[i_] == c; }
  bool name_start(std::size_t at) const {
    return at < s_.size() && (kClasses[static_cast<unsigned char>(s_[at])] & kNameStart);
  }
  bool accept(std::string_view word) {
    if (!s_.substr(i_).starts_with(word)) return false;
    i_ += word.size();
    return true;
  }
  // Moves past the bytes of the class.
  void skip(std::uint8_t cls) {
    const char* p = s_.data() + i_;
    const char* const end = s_.data() + s_.size();
    while (p != end && (kClasses[static_cast<unsigned char>(*p)] & cls)) ++p;
    i_ = static_cast<std::size_t>(p - s_.data());
  }
  std::size_t skip_space() {
    const std::size_t from = i_;
    skip(kSpace);
    return i_ - from;
  }

  // The length of the XML character encoded from s_[i_] on (a byte of 0x80 or above),
  // 0 for bytes that are not one: not UTF-8, overlong, a surrogate, U+FFFE, U+FFFF or
  // past U+10FFFF.
  std::size_t wide_character() const {
    const auto byte = [&](std::size_t k) {
      return i_ + k < s_.size() ? static_cast<unsigned char>(s_[i_ + k]) : 0u;
    };
    const unsigned lead = byte(0);
    const std::size_t n = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (n == 0) return 0;
    char32_t c = lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      if ((byte(k) & 0xC0) != 0x80) return 0;
      c = (c << 6) | (byte(k) & 0x3F);
    }
    if (n == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE)) return 0;
    if (n == 4 && (c < 0x10000 || c > 0x10FFFF)) return 0;
    return n;
  }
  // Moves past the XML character encoded from s_[i_] on; false when there is none.
  bool skip_wide_character() {
    const std::size_t n = wide_character();
    i_ += n;
    return n != 0;
  }

  // <?xml version="1.0" encoding="UTF-8" standalone="yes"?>, the last two optional.
  bool declaration() {
    i_ = 5;
    if (skip_space() == 0 || !accept("version") || !equals_quoted({"1.0"})) return false;
    std::size_t space = skip_space();
    if (space != 0 && accept("encoding")) {
      if (!equals_quoted({"UTF-8", "utf-8"})) return false;
      space = skip_space();
    }
    if (space != 0 && accept("standalone")) {
      if (!equals_quoted({"yes", "no"})) return false;
      skip_space();
    }
    return accept("?>");
  }

  // = then one of the words, quoted.
  bool equals_quoted(std::initializer_list<std::string_view> words) {
    skip_space();
    if (!accept("=")) return false;
    skip_space();
    if (!peek_is('"') && !peek_is('\'')) return false;
    const char quote = s_[i_++];
    const auto end = s_.find(quote, i_);
    if (end == std::string_view::npos) return false;
    const std::string_view value = s_.substr(i_, end - i_);
    i_ = end + 1;
    for (const std::string_view word : words) {
      if (value == word) return true;
    }
    return false;
  }

  // White space and comments, before or after the root element.
  bool misc() {
    for (;;) {
      skip_space();
      if (!s_.substr(i_).starts_with("<!--")) return true;
      if (!comment()) return false;
    }
  }

  // From <!-- past -->; "--" may not occur inside.
  bool comment() {
    i_ += 4;
    for (;;) {
      skip(kComment);
      if (i_ >= s_.size()) return false;
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '-') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '-') {
          if (i_ + 2 < s_.size() && s_[i_ + 2] == '>') {
            i_ += 3;
            return true;
          }
          return false;
        }
        ++i_;
      } else if (c >= 0x80) {
        if (!skip_wide_character()) return false;
      } else {
        return false;
      }
    }
  }

  // A name part: ASCII letters, digits, '_', '.', '-', not starting with a digit, '.' or '-'.
  std::string_view name_part() {
    if (!name_start(i_)) return {};
    const std::size_t from = i_++;
    skip(kName);
    return s_.substr(from, i_ - from);
  }

  std::optional<Name> qualified_name() {
    Name name{{}, name_part()};
    if (name.local.empty()) return std::nullopt;
    if (peek_is(':')) {
      ++i_;
      name.prefix = name.local;
      name.local = name_part();
      if (name.local.empty()) return std::nullopt;
    }
    if (peek_is(':')) return std::nullopt;
    return name;
  }

  // A piece of the text (the document gets the text only at the end).
  std::string_view view(Text t) const { return s_.substr(t.offset, t.length); }

  // The text s_[from, to), which becomes the document's strings.
  static Text piece(std::size_t from, std::size_t to) {
    return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from)};
  }
  Text piece(std::string_view part) const {
    return piece(static_cast<std::size_t>(part.data() - s_.data()),
                 static_cast<std::size_t>(part.data() - s_.data()) + part.size());
  }

  // A quoted attribute value, a piece of the text with its tabs and line feeds made
  // spaces in place (as expat reports them).
  std::optional<Text> value() {
    if (!peek_is('"') && !peek_is('\'')) return std::nullopt;
    const char quote = s_[i_++];
    const std::size_t from = i_;
    for (;;) {
      skip(kValue);
      if (i_ >= s_.size()) return std::nullopt;
      const char c = s_[i_];
      if (c == quote) return piece(from, i_++);
      if (c == '"' || c == '\'') {
        ++i_;
      } else if (c == '\t' || c == '\n') {
        changed_.push_back({i_, c});
        text_[i_++] = ' ';
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        if (!skip_wide_character()) return std::nullopt;
      } else {
        return std::nullopt;  // '<', a reference, a carriage return or a control byte
      }
    }
  }

  std::optional<Text> resolve(std::string_view prefix) const {
    for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b) {
      if (b->prefix == prefix) return b->uri;
    }
    return std::nullopt;
  }

  bool declare(std::string_view prefix, Text uri) {
    const std::string_view text = view(uri);
    if (text.empty() || text == kXmlUri || text == kXmlnsUri) return false;
    doc_.namespaces_.push_back({prefix.empty() ? Text{} : piece(prefix), uri});
    bindings_.push_back({prefix, uri});
    return true;
  }

  // A start tag from '<': the element, its namespace declarations and attributes.
  // Sets `empty` for <name/>.
  bool start_tag(bool& empty) {
    if (doc_.nodes_.size() >= XmlElement::kNone - 1) return false;
    const std::size_t from = ++i_;
    const auto name = qualified_name();
    if (!name) return false;
    const std::string_view written = s_.substr(from, i_ - from);
    raw_.clear();
    for (;;) {
      const std::size_t space = skip_space();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == '>' || s_[i_] == '/') {
        empty = s_[i_] == '/';
        if (empty && !(i_ + 1 < s_.size() && s_[i_ + 1] == '>')) return false;
        i_ += empty ? 2 : 1;
        break;
      }
      if (space == 0) return false;
      const auto attribute = qualified_name();
      if (!attribute) return false;
      skip_space();
      if (!accept("=")) return false;
      skip_space();
      const auto text = value();
      if (!text) return false;
      for (const RawAttribute& seen : raw_) {
        if (seen.name.prefix == attribute->prefix && seen.name.local == attribute->local)
          return false;
      }
      raw_.push_back({*attribute, *text});
    }

    const std::size_t outer_bindings = bindings_.size();
    XmlDocument::Node node;
    node.first_namespace = static_cast<std::uint32_t>(doc_.namespaces_.size());
    for (const RawAttribute& a : raw_) {
      if (a.name.prefix.empty() && a.name.local == "xmlns") {
        if (!declare({}, a.value)) return false;
      } else if (a.name.prefix == "xmlns") {
        if (starts_with_xml(a.name.local) || !declare(a.name.local, a.value)) return false;
      }
    }
    node.namespace_count =
        static_cast<std::uint32_t>(doc_.namespaces_.size()) - node.first_namespace;
    if (!name->prefix.empty()) {
      const auto uri = resolve(name->prefix);
      if (!uri) return false;
      node.namespace_uri = *uri;
    } else if (const auto uri = resolve({})) {
      node.namespace_uri = *uri;
    }
    node.local_name = piece(name->local);
    node.first_attribute = static_cast<std::uint32_t>(doc_.attributes_.size());
    for (const RawAttribute& a : raw_) {
      if ((a.name.prefix.empty() && a.name.local == "xmlns") || a.name.prefix == "xmlns") continue;
      Text uri{};
      if (!a.name.prefix.empty()) {
        const auto bound = resolve(a.name.prefix);
        if (!bound) return false;
        uri = *bound;
        // Two prefixes bound to one URI make the same name.
        for (std::uint32_t k = node.first_attribute; k < doc_.attributes_.size(); ++k) {
          const auto& seen = doc_.attributes_[k];
          if (seen.namespace_uri.length != 0 && view(seen.name) == a.name.local &&
              view(seen.namespace_uri) == view(uri))
            return false;
        }
      }
      doc_.attributes_.push_back({piece(a.name.local), uri, a.value});
    }
    node.attribute_count =
        static_cast<std::uint32_t>(doc_.attributes_.size()) - node.first_attribute;

    const auto index = static_cast<std::uint32_t>(doc_.nodes_.size());
    if (!open_.empty()) {
      auto& parent = doc_.nodes_[open_.back().node];
      node.parent = open_.back().node;
      if (parent.last_child == XmlElement::kNone) {
        parent.first_child = index;
      } else {
        doc_.nodes_[parent.last_child].next_sibling = index;
      }
      parent.last_child = index;
    }
    doc_.nodes_.push_back(node);
    if (empty) {
      bindings_.resize(outer_bindings);
    } else {
      open_.push_back({written, index, outer_bindings});
    }
    return true;
  }

  // From </ past >, closing the innermost open element.
  bool end_tag() {
    i_ += 2;
    const std::string_view written = open_.back().qualified_name;
    if (!accept(written) || has(kName) || peek_is(':')) return false;
    skip_space();
    if (!accept(">")) return false;
    bindings_.resize(open_.back().bindings);
    open_.pop_back();
    return true;
  }

  // The root element and everything inside it.
  bool elements() {
    bool empty = false;
    if (!start_tag(empty)) return false;
    while (!open_.empty()) {
      // Character data: not kept, but checked as expat checks it.
      for (;;) {
        skip(kText);
        if (i_ >= s_.size()) return false;
        const auto c = static_cast<unsigned char>(s_[i_]);
        if (c == ']') {
          if (s_.substr(i_).starts_with("]]>")) return false;
          ++i_;
        } else if (c >= 0x80) {
          if (!skip_wide_character()) return false;
        } else {
          break;
        }
      }
      if (s_[i_] != '<') return false;  // a reference or a control byte
      if (i_ + 1 < s_.size() && s_[i_ + 1] == '/') {
        if (!end_tag()) return false;
      } else if (s_.substr(i_).starts_with("<!--")) {
        if (!comment()) return false;
      } else if (name_start(i_ + 1)) {
        if (!start_tag(empty)) return false;
      } else {
        return false;  // a processing instruction, CDATA, a declaration
      }
    }
    return true;
  }

  std::string& text_;
  std::string_view s_;
  std::size_t i_ = 0;
  std::vector<std::pair<std::size_t, char>> changed_;  // bytes made spaces, as written
  XmlDocument doc_;
  std::vector<Open> open_;
  std::vector<Binding> bindings_;
  std::vector<RawAttribute> raw_;
};

std::optional<XmlDocument> scan_plain_xml(std::string& text) { return XmlScanner(text).run(); }

}  // namespace kinetra::urdf
