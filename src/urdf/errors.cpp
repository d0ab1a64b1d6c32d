#include "urdf/errors.hpp"

namespace kinetra::urdf {

std::string display_text(const ParseError& error) {
  const std::string& p = error.payload_;
  switch (error.kind_) {
    using enum ParseError::Kind;
    case IoError:
      return "IO error: " + p + " (file: " + error.path_ + ")";
    case XmlError:
      return "XML parsing error: " + p;
    case NoRobotTag:
      return "No <robot> tag found in URDF.";
    case VisualWithoutGeometry:
      return "the <visual> tag named '" + p + "' does not have a corresponding <geometry> tag.";
    case GeometryWithoutShape:
      return "the <geometry> tag named '" + p + "' does not have a corresponding shape tag.";
    case MissingParameter:
      return "Missing required parameter: " + p;
    case InvalidParameter:
      return "Invalid value for parameter: " + p;
    case MissingName:
      return "Missing name attribute for " + p + ".";
    case MaterialWithoutColor:
      return "the <material> tag named '" + p + "' does not have a corresponding <color> tag.";
    case UnknownJointType:
      return "unknown joint type (" + p + ").";
    case UnknownTag:
      return "Unknown tag encountered: " + p;
    case ModelRejected:
      return "Model error: " + p;
    case UnknownLinkName:
      return "Unknown link name: " + p;
    case InvalidFilePath:
      return "Invalid file path: " + p;
    case InertialMissingInertia:
      return "<inertial> tag in link '" + p + "' missing inertia data.";
    case InertialMissingMass:
      return "<inertial> tag in link '" + p + "' missing mass data.";
    case UnknownParentFrame:
      return "Frame references unknown parent: " + p;
    case LinkWithSeveralParents:
      return "Link '" + p + "' is the child of more than one joint.";
    case KinematicLoop:
      return "Kinematic loop through link '" + p + "'.";
    case NoParentLink:
      return error.element_ + " has no parent link.";
    case UnknownParentLink:
      return error.element_ + " names the parent link '" + p + "', which does not exist.";
    case NoChildLink:
      return error.element_ + " has no child link.";
    case NoRootLink:
      return error.element_ + " has no root link: every link is the child of a joint.";
    case Unreachable:
      return error.element_ + " is not reachable from a root link.";
    case InvalidAxis:
      return error.element_ + " has an axis that is zero or not finite: " + p;
    case InvalidMass:
      return error.element_ + " has a mass that is negative or not finite: " + p;
    case InvalidInertia:
      return error.element_ + " has an inertia that is not positive semi-definite: " + p;
  }
  return "unknown URDF error";
}

}  // namespace kinetra::urdf
