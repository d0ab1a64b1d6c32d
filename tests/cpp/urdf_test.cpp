#include <gtest/gtest.h>

#include "urdf/paths.hpp"
#include "urdf/xml.hpp"

namespace kinetra::urdf {
namespace {

TEST(Xml, LocalNamesNamespacesAndAttributes) {
  const auto document = XmlDocument::parse(
      "<?xml version='1.0'?>\n<!-- c --><x:robot xmlns:x='urn:x' name='r' x:extra='1'>"
      "text<link name='a'/><?pi?><joint/><x:link name='b'/></x:robot>");
  ASSERT_TRUE(document.has_value()) << document.error();
  const XmlElement robot = document->root();
  EXPECT_EQ(robot.local_name(), "robot");
  EXPECT_EQ(robot.namespace_uri(), "urn:x");
  EXPECT_EQ(robot.attribute("name"), "r");
  EXPECT_EQ(robot.attribute("extra"), std::nullopt);  // only unprefixed attributes count
  EXPECT_EQ(document->element_count(), 4u);
  EXPECT_EQ(
      robot.debug_text(),
      "Element { tag_name: {urn:x}robot, attributes: [Attribute { name: name, value: \"r\" }, "
      "Attribute { name: {urn:x}extra, value: \"1\" }], namespaces: [Namespace { name: "
      "Some(\"x\"), uri: \"urn:x\" }] }");
}

TEST(Xml, ErrorsCarryAPosition) {
  const struct {
    const char* text;
    const char* start;
  } cases[] = {
      {"<robot>\n  <link></robot>", "mismatched tag at 2:"},
      {"<robot/><robot/>", "junk after document element at 1:9"},
  };
  for (const auto& c : cases) {
    const auto document = XmlDocument::parse(c.text);
    ASSERT_FALSE(document.has_value()) << c.text;
    EXPECT_TRUE(document.error().starts_with(c.start)) << document.error();
  }
}

TEST(Paths, Utf8) {
  EXPECT_TRUE(is_valid_utf8("plain \u00e9\u20ac\U0001F600"));
  EXPECT_FALSE(is_valid_utf8("\xff"));
  EXPECT_FALSE(is_valid_utf8("\xc0\xaf"));          // overlong
  EXPECT_FALSE(is_valid_utf8("\xed\xa0\x80"));      // surrogate
  EXPECT_FALSE(is_valid_utf8("\xf4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(is_valid_utf8("\xe2\x82"));          // cut short
}

}  // namespace
}  // namespace kinetra::urdf
