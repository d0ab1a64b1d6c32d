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
  };

  static ParseError io_error(std::string error, std::string path) {
    return {Kind::IoError, std::move(error), std::move(path)};
  }
  static ParseError of(Kind kind, std::string payload = {}) {
    return {kind, std::move(payload), {}};
  }

  Kind kind() const { return kind_; }
  const std::string& payload() const { return payload_; }

 private:
  ParseError(Kind kind, std::string payload, std::string path)
      : kind_(kind), payload_(std::move(payload)), path_(std::move(path)) {}

  friend std::string display_text(const ParseError& error);
  Kind kind_;
  std::string payload_;
  std::string path_;  // IoError only
};

std::string display_text(const ParseError& error);

}  // namespace kinetra::urdf
