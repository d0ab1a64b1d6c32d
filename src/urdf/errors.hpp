#pragma once

#include <string>

namespace kinetra::urdf {

// The errors of URDF loading. Each carries the text its display shows.
class ParseError {
 public:
  enum class Kind {
    IoError,
    XmlError,
    NoRobotTag,
    VisualWithoutGeometry,
    GeometryWithoutShape,
    MissingParameter,
    InvalidParameter,
    MissingName,
    MaterialWithoutColor,
    UnknownJointType,
    UnknownTag,
    ModelRejected,
    UnknownLinkName,
    InvalidFilePath,
    InertialMissingInertia,
    InertialMissingMass,
    UnknownParentFrame,
    LinkWithSeveralParents,  // a link named as the child of two joints
    KinematicLoop,           // a link reached twice by the tree walk
    // Refused only by a strict reading; their texts start with the element.
    NoParentLink,       // a joint without parent link
    UnknownParentLink,  // a joint naming a parent link that does not exist
    NoChildLink,        // a joint without child link
    NoRootLink,         // links, but each of them the child of a joint
    Unreachable,        // a link or joint no root link reaches
    InvalidAxis,        // zero or not finite
    InvalidMass,        // negative or not finite
    InvalidInertia,     // not positive semi-definite beyond rounding
  };

  static ParseError io_error(std::string error, std::string path) {
    return {Kind::IoError, std::move(error), std::move(path)};
  }
  static ParseError of(Kind kind, std::string payload = {}) {
    return {kind, std::move(payload), {}};
  }

  Kind kind() const { return kind_; }
  const std::string& payload() const { return payload_; }

  // The element where the error arose, written `<joint name="elbow">`; empty for
  // errors of the file or the document as a whole. Set once: the innermost wins.
  const std::string& element() const { return element_; }
  ParseError& at(std::string element) & {
    if (element_.empty()) element_ = std::move(element);
    return *this;
  }
  ParseError&& at(std::string element) && { return std::move(at(std::move(element))); }

 private:
  ParseError(Kind kind, std::string payload, std::string path)
      : kind_(kind), payload_(std::move(payload)), path_(std::move(path)) {}

  friend std::string display_text(const ParseError& error);
  Kind kind_;
  std::string payload_;
  std::string path_;  // IoError only
  std::string element_;
};

std::string display_text(const ParseError& error);

}  // namespace kinetra::urdf
