#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "urdf/paths.hpp"
#include "urdf/values.hpp"
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
  std::vector<std::string_view> names;
  for (const XmlElement child : robot.children()) names.push_back(child.local_name());
  EXPECT_EQ(names, (std::vector<std::string_view>{"link", "joint", "link"}));
  EXPECT_EQ(robot.first_child("link")->attribute("name"), "a");
  EXPECT_EQ(robot.first_child("missing"), std::nullopt);
  EXPECT_EQ(document->element_count(), 4u);
  EXPECT_EQ(robot.debug_text(),
            "Element { tag_name: {urn:x}robot, attributes: [Attribute { name: name, value: \"r\" }, "
            "Attribute { name: {urn:x}extra, value: \"1\" }], namespaces: [Namespace { name: "
            "Some(\"x\"), uri: \"urn:x\" }] }");
}

TEST(Xml, ErrorsCarryAPosition) {
  const struct {
    const char* text;
    const char* start;
  } cases[] = {
      {"<!DOCTYPE robot [<!ENTITY a 'b'>]><robot/>", "a document type declaration is not allowed at 1:"},
      {"<robot>\n  <link></robot>", "mismatched tag at 2:"},
      {"", "no element found at 1:1"},
      {"<robot/><robot/>", "junk after document element at 1:9"},
  };
  for (const auto& c : cases) {
    const auto document = XmlDocument::parse(c.text);
    ASSERT_FALSE(document.has_value()) << c.text;
    EXPECT_TRUE(document.error().starts_with(c.start)) << document.error();
  }
}

TEST(Xml, DeepNestingDoesNotRecurse) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "<a>";
  for (int i = 0; i < 200000; ++i) text += "</a>";
  const auto document = XmlDocument::parse(text);
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(document->element_count(), 200000u);
  EXPECT_FALSE(XmlElement(document->root()).debug_text().empty());
}

struct Number {
  const char* text;
  double value;  // NaN: not a number; use std::nan for "nan" inputs separately
  bool valid;
};

TEST(Values, NumberGrammar) {
  const double inf = std::numeric_limits<double>::infinity();
  const Number cases[] = {
      {"1", 1, true},          {"-2.5", -2.5, true},     {"+3", 3, true},      {".5", 0.5, true},
      {"5.", 5, true},         {"1e3", 1000, true},      {"1E-2", 0.01, true}, {"-1.5e+2", -150, true},
      {"inf", inf, true},      {"-Infinity", -inf, true}, {"+INF", inf, true}, {"1e400", inf, true},
      {"-1e400", -inf, true},  {"1e-400", 0, true},      {"0.1", 0.1, true},
      {"", 0, false},          {" 1", 0, false},         {"1 ", 0, false},     {"+-1", 0, false},
      {"--1", 0, false},       {"1e", 0, false},         {".", 0, false},      {"e5", 0, false},
      {"0x10", 0, false},      {"1,5", 0, false},        {"nan(1)", 0, false}, {"infinit", 0, false},
      {"1_000", 0, false},     {"+", 0, false},
  };
  for (const Number& c : cases) {
    const auto value = parse_f64(c.text);
    EXPECT_EQ(value.has_value(), c.valid) << c.text;
    if (value && c.valid) EXPECT_EQ(*value, c.value) << c.text;
  }
  for (const char* nan : {"nan", "NaN", "-nan", "+NAN"}) {
    ASSERT_TRUE(parse_f64(nan).has_value()) << nan;
    EXPECT_TRUE(std::isnan(*parse_f64(nan)));
  }
  // f32 is rounded once, from the decimal text
  EXPECT_EQ(*parse_f32("0.1"), 0.1f);
  EXPECT_EQ(*parse_f32("16777217"), 16777216.0f);
  EXPECT_EQ(*parse_f32("1e39"), std::numeric_limits<float>::infinity());
}

TEST(Values, UnicodeWhiteSpaceSeparatesListItems) {
  EXPECT_EQ(split_white_space(" 1\t2\n\r 3  "), (std::vector<std::string_view>{"1", "2", "3"}));
  EXPECT_EQ(split_white_space("1\u00a02\u20033\u30004"),
            (std::vector<std::string_view>{"1", "2", "3", "4"}));
  EXPECT_EQ(split_white_space("1\u200b2"), (std::vector<std::string_view>{"1\u200b2"}));  // not space
  EXPECT_TRUE(split_white_space(" \t ").empty());
}

TEST(Paths, Join) {
  EXPECT_EQ(join_path("/a", "b/c"), "/a/b/c");
  EXPECT_EQ(join_path("/a/", "b"), "/a/b");
  EXPECT_EQ(join_path("", "b"), "b");
  EXPECT_EQ(join_path("/a", "/b"), "/b");
  EXPECT_EQ(join_path("a/../x", "./b"), "a/../x/./b");
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
