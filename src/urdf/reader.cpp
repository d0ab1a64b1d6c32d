#include "urdf/reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "base/number_format.hpp"
#include "joint/continuous.hpp"
#include "joint/free_flyer.hpp"
#include "joint/prismatic.hpp"
#include "joint/revolute.hpp"
#include "model/name_index.hpp"
#include "urdf/geometry_reader.hpp"
#include "urdf/paths.hpp"
#include "urdf/strict_checks.hpp"
#include "urdf/values.hpp"
#include "urdf/xml.hpp"

namespace kinetra::urdf {

namespace {

using Kind = ParseError::Kind;

template <class T>
using Result = std::expected<T, ParseError>;

std::unexpected<ParseError> fail(Kind kind, std::string payload = {}) {
  return std::unexpected(ParseError::of(kind, std::move(payload)));
}

// The error, naming `element` as where it arose unless an inner element is named already.
std::unexpected<ParseError> in(ParseError error, const XmlElement& element) {
  return std::unexpected(std::move(error).at(element.label()));
}

std::unexpected<ParseError> fail_in(const XmlElement& element, Kind kind,
                                    std::string payload = {}) {
  return in(ParseError::of(kind, std::move(payload)), element);
}

std::string_view name_or_empty(const XmlElement& element) {
  return element.attribute("name").value_or("");
}

Result<std::string> read_file(const std::string& path) {
  auto io_error = [&](int error) {
    return std::unexpected(ParseError::io_error(
        std::string(std::strerror(error)) + " (os error " + std::to_string(error) + ")", path));
  };
  if (path.find('\0') != std::string::npos) {  // the system would read a shorter name
    return std::unexpected(
        ParseError::io_error("file name contained an unexpected NUL byte", path));
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return io_error(errno);
  std::string text;
  struct stat status{};
  if (::fstat(fd, &status) == 0 && status.st_size > 0)
    text.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return io_error(error);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!is_valid_utf8(text)) {
    return std::unexpected(ParseError::io_error("stream did not contain valid UTF-8", path));
  }
  return text;
}

// One loading call: the document, its indexes and the results under construction.
class Reader {
  // The keys of the name indexes, read back from the lists they index.
  struct LinkName {
    const Reader* reader;
    std::string_view operator()(std::size_t id) const { return name_or_empty(reader->links_[id]); }
  };
  struct GroupName {
    const Reader* reader;
    std::string_view operator()(std::size_t id) const { return reader->group_names_[id]; }
  };
  LinkName link_name_of() const { return {this}; }
  GroupName group_name_of() const { return {this}; }

 public:
  Reader(const XmlDocument& document, XmlElement robot,
         const std::optional<std::string>& package_dir, const ReadOptions& options)
      : document_(document),
        robot_(robot),
        package_dir_(package_dir),
        options_(options),
        models_{Model::new_named(std::string(name_or_empty(robot))), GeometryModel(),
                GeometryModel()} {}

  Result<UrdfModels> run() {
    if (auto done = read_materials(); !done) return std::unexpected(done.error());
    auto roots = root_links();
    if (!roots) return std::unexpected(roots.error());
    index_joints();
    if (options_.strict) {
      if (auto done = check_structure(*roots); !done) return std::unexpected(done.error());
    }
    // One frame per link and per joint, at most one joint per joint element.
    models_.model.reserve(joints_.size() + 1, links_.size() + joints_.size() + 1);
    models_.collision.reserve(links_.size());
    models_.visual.reserve(links_.size());
    if (auto done = add_root_joint(); !done) return std::unexpected(done.error());
    for (const XmlElement& root : *roots) {
      if (auto done = walk(root); !done) return std::unexpected(done.error());
    }
    if (options_.strict) {
      if (auto done = check_reached(); !done) return std::unexpected(done.error());
    }
    return std::move(models_);
  }

 private:
  // The caller's root joint between the world and the root links, with its frame.
  Result<void> add_root_joint() {
    if (!options_.root_joint) return {};
    const auto id = models_.model.add_joint(WORLD_ID, options_.root_joint->get().clone_box(),
                                            SE3::identity(), "root_joint");
    if (!id) return fail(Kind::ModelRejected, display_text(id.error()));
    const auto frame = add_frame(
        Frame{"root_joint", *id, 0, SE3::identity(), FrameType::Joint, Inertia::zeros()}, true);
    if (!frame) return std::unexpected(frame.error());
    root_joint_ = *id;
    root_frame_ = *frame;
    return {};
  }

  struct Item {
    XmlElement node;
    XmlElement parent;
    std::size_t parent_joint;
    bool root;
  };

  Result<void> read_materials() {
    for (const XmlElement material : robot_.children()) {
      if (material.local_name() != "material") continue;
      const auto name = material.attribute("name");
      if (!name) return fail_in(material, Kind::MissingName, material.debug_text());
      const auto color = material.first_child("color");
      if (!color) return fail_in(material, Kind::MaterialWithoutColor, std::string(*name));
      const auto rgba = extract_parameter_list<4>("rgba", *color);
      if (!rgba) return in(rgba.error(), material);
      materials_.insert_or_assign(std::string(*name),
                                  Color((*rgba)[0], (*rgba)[1], (*rgba)[2], (*rgba)[3]));
    }
    return {};
  }

  // Links that no joint names as its child, ordered by name bytes. Also indexes the
  // links by name and refuses a link named as the child of two joints.
  Result<std::vector<XmlElement>> root_links() {
    for (const XmlElement element : robot_.children()) {
      if (element.local_name() == "link") {
        links_.push_back(element);
        const std::string_view name = name_or_empty(element);
        if (!link_by_name_.find(name, link_name_of())) {  // the first link of a name wins
          link_by_name_.reserve_one();
          link_by_name_.insert_new(name, links_.size() - 1);
        }
      } else if (element.local_name() == "joint") {
        joints_.push_back(element);
      }
    }
    std::unordered_set<std::string_view> children;
    children.reserve(joints_.size());
    for (const XmlElement& joint : joints_) {
      const auto child = joint.first_child("child");
      if (!child) continue;
      const auto link = extract_parameter_text("link", *child);
      if (!link) return in(link.error(), joint);
      if (!children.insert(*link).second)
        return fail_in(joint, Kind::LinkWithSeveralParents, std::string(*link));
    }
    std::vector<XmlElement> roots;
    for (const XmlElement& link : links_) {
      if (!children.contains(name_or_empty(link))) roots.push_back(link);
    }
    std::stable_sort(roots.begin(), roots.end(), [](const XmlElement& a, const XmlElement& b) {
      return name_or_empty(a) < name_or_empty(b);
    });
    return roots;
  }

  // The joints hanging from each link, ordered by name (document order among equals),
  // stored group after group in one list.
  void index_joints() {
    std::vector<std::pair<std::uint32_t, XmlElement>> grouped;  // (group, joint)
    grouped.reserve(joints_.size());
    std::vector<std::uint32_t> sizes;
    for (const XmlElement& joint : joints_) {
      const auto parent = joint.first_child("parent");
      if (!parent) continue;
      const auto link = parent->attribute("link");
      if (!link) continue;
      auto group = group_by_link_.find(*link, group_name_of());
      if (!group) {
        group = group_names_.size();
        group_by_link_.reserve_one();
        group_names_.push_back(*link);
        group_by_link_.insert_new(*link, *group);
        sizes.push_back(0);
      }
      ++sizes[*group];
      grouped.emplace_back(static_cast<std::uint32_t>(*group), joint);
    }
    std::vector<std::uint32_t> offsets(sizes.size() + 1, 0);
    for (std::size_t g = 0; g < sizes.size(); ++g) offsets[g + 1] = offsets[g] + sizes[g];
    std::vector<std::uint32_t> fill(offsets.begin(), offsets.end() - 1);
    grouped_joints_.assign(grouped.size(), robot_);
    for (const auto& [group, joint] : grouped) grouped_joints_[fill[group]++] = joint;
    group_ranges_.resize(sizes.size());
    for (std::size_t g = 0; g < sizes.size(); ++g) {
      group_ranges_[g] = JointGroup{offsets[g], offsets[g + 1]};
      std::stable_sort(grouped_joints_.begin() + offsets[g],
                       grouped_joints_.begin() + offsets[g + 1],
                       [](const XmlElement& a, const XmlElement& b) {
                         return name_or_empty(a) < name_or_empty(b);
                       });
    }
  }

  // The joints' links and the roots, for a strict reading (before the walk, which would
  // skip what is missing).
  Result<void> check_structure(const std::vector<XmlElement>& roots) const {
    for (const XmlElement& joint : joints_) {
      const auto parent = joint.first_child("parent");
      const auto link = parent ? parent->attribute("link") : std::nullopt;
      if (!link) return fail_in(joint, Kind::NoParentLink);
      if (!link_by_name_.find(*link, link_name_of()))
        return fail_in(joint, Kind::UnknownParentLink, std::string(*link));
      if (!joint.first_child("child")) return fail_in(joint, Kind::NoChildLink);
    }
    if (roots.empty() && !links_.empty()) return fail_in(robot_, Kind::NoRootLink);
    return {};
  }

  // After the walk: every link and joint was reached, the first one in document order
  // that was not is refused.
  Result<void> check_reached() const {
    for (const XmlElement element : robot_.children()) {
      const std::string_view tag = element.local_name();
      if ((tag == "link" || tag == "joint") && !walked_[element.index()])
        return fail_in(element, Kind::Unreachable);
    }
    return {};
  }

  // Depth first, pre-order, without recursion: a link, then each of its joints
  // followed at once by the subtree under the joint's child link.
  Result<void> walk(const XmlElement& root) {
    std::vector<Item> stack{{root, robot_, root_joint_, true}};
    while (!stack.empty()) {
      const Item item = stack.back();
      stack.pop_back();
      walked_[item.node.index()] = true;
      const std::string_view tag = item.node.local_name();
      if (tag == "link") {
        if (auto done = parse_link(item); !done) return in(done.error(), item.node);
        const auto group = group_by_link_.find(name_or_empty(item.node), group_name_of());
        if (!group) continue;
        const JointGroup range = group_ranges_[*group];
        for (std::uint32_t j = range.end; j-- > range.begin;) {
          stack.push_back({grouped_joints_[j], item.node, item.parent_joint, false});
        }
      } else if (tag == "joint") {
        const auto joint_id = parse_joint(item.node, item.parent, item.parent_joint);
        if (!joint_id) return in(joint_id.error(), item.node);
        const auto child = item.node.first_child("child");
        if (!child) continue;
        const auto link_name = extract_parameter_text("link", *child);
        if (!link_name) return in(link_name.error(), item.node);
        const auto link_id = link_by_name_.find(*link_name, link_name_of());
        if (!link_id) return fail_in(item.node, Kind::UnknownLinkName, std::string(*link_name));
        const XmlElement link = links_[*link_id];
        // With one parent joint per link a walk reaches each link once; reaching one
        // again would mean walking in a circle.
        if (reached_[link.index()])
          return fail_in(item.node, Kind::KinematicLoop, std::string(*link_name));
        reached_[link.index()] = true;
        stack.push_back({link, item.node, *joint_id, false});
      } else if (tag != "gazebo" && tag != "transmission") {
        return fail(Kind::UnknownTag, std::string(tag));
      }
    }
    return {};
  }

  Result<std::size_t> get_parent_frame(const XmlElement& parent) {
    const auto parent_name = parent.attribute("name");
    if (!parent_name) return fail(Kind::MissingName, parent.debug_text());
    const auto robot_name = robot_.attribute("name");
    if (!robot_name) return fail(Kind::MissingName, robot_.debug_text());
    if (*parent_name == *robot_name) return std::size_t{0};
    const std::string_view type = parent.attribute("type").value_or("");
    FrameType frame_type = FrameType::Body;
    if (type == "fixed") {
      frame_type = FrameType::Fixed;
    } else if (type == "revolute" || type == "prismatic" || type == "continuous" ||
               type == "floating") {
      frame_type = FrameType::Joint;
    }
    const auto frame = models_.model.get_frame_id(*parent_name, frame_type);
    if (!frame) return fail(Kind::UnknownParentFrame, std::string(*parent_name));
    return *frame;
  }

  Result<std::size_t> add_frame(const Frame& frame, bool append_inertia) {
    auto id = models_.model.add_frame(frame, append_inertia);
    if (!id) return fail(Kind::ModelRejected, display_text(id.error()));
    return *id;
  }

  Result<std::size_t> parse_joint(const XmlElement& joint, const XmlElement& parent_link,
                                  std::size_t parent_joint) {
    const auto name = joint.attribute("name");
    if (!name) return fail(Kind::MissingName, joint.debug_text());
    const auto type = joint.attribute("type");
    if (!type) return fail(Kind::MissingParameter, "type");
    const auto pf = get_parent_frame(parent_link);
    if (!pf) return std::unexpected(pf.error());
    const auto origin = parse_origin(joint);
    if (!origin) return std::unexpected(origin.error());
    const SE3 placement = models_.model.frames()[*pf].placement * *origin;

    if (*type == "fixed") {
      const auto added = add_frame(Frame{std::string(*name), parent_joint, *pf, placement,
                                         FrameType::Fixed, Inertia::zeros()},
                                   false);
      if (!added) return std::unexpected(added.error());
      return parent_joint;
    }
    std::unique_ptr<JointModel> joint_model;
    if (*type == "revolute" || *type == "prismatic") {
      const auto axis = read_axis(joint);
      if (!axis) return std::unexpected(axis.error());
      const auto limit = joint.first_child("limit");
      if (!limit) return fail(Kind::MissingParameter, "limit");
      JointLimits* limits = nullptr;
      if (*type == "revolute") {
        auto revolute = std::make_unique<JointModelRevolute>(*axis);
        limits = &revolute->limits;
        joint_model = std::move(revolute);
      } else {
        auto prismatic = std::make_unique<JointModelPrismatic>(*axis);
        limits = &prismatic->limits;
        joint_model = std::move(prismatic);
      }
      // lower and upper are optional: an absent or unreadable value keeps the default.
      const double lower[1] = {extract_parameter("lower", *limit).value_or(limits->lower[0])};
      const double upper[1] = {extract_parameter("upper", *limit).value_or(limits->upper[0])};
      (void)limits->lower.update_rows(0, lower);
      (void)limits->upper.update_rows(0, upper);
      if (auto done = read_effort_and_velocity(*limit, *limits); !done)
        return std::unexpected(done.error());
    } else if (*type == "continuous") {
      const auto axis = read_axis(joint);
      if (!axis) return std::unexpected(axis.error());
      auto continuous = std::make_unique<JointModelContinuous>(*axis);
      if (const auto limit = joint.first_child("limit")) {
        if (auto done = read_effort_and_velocity(*limit, continuous->limits); !done) {
          return std::unexpected(done.error());
        }
      }
      joint_model = std::move(continuous);
    } else if (*type == "floating") {  // six coordinates: no axis, no limits
      joint_model = std::make_unique<JointModelFreeFlyer>();
    } else {
      return fail(Kind::UnknownJointType, std::string(*type));
    }
    const auto id = models_.model.add_joint(parent_joint, std::move(joint_model), placement,
                                            std::string(*name));
    if (!id) return fail(Kind::ModelRejected, display_text(id.error()));
    const auto frame = add_frame(
        Frame{std::string(*name), *id, *pf, SE3::identity(), FrameType::Joint, Inertia::zeros()},
        true);
    if (!frame) return std::unexpected(frame.error());
    return *id;
  }

  Result<Vector3D> read_axis(const XmlElement& joint) const {
    auto axis = parse_axis(joint);
    if (axis && options_.strict && !usable_axis(*axis)) {
      std::string values;
      append_debug_list(values, axis->as_slice().data(), 3);
      return fail_in(joint, Kind::InvalidAxis, std::move(values));
    }
    return axis;
  }

  static Result<void> read_effort_and_velocity(const XmlElement& limit, JointLimits& limits) {
    const auto effort = extract_parameter("effort", limit);
    if (!effort) return std::unexpected(effort.error());
    const auto velocity = extract_parameter("velocity", limit);
    if (!velocity) return std::unexpected(velocity.error());
    const double e[1] = {*effort}, v[1] = {*velocity};
    (void)limits.effort.update_rows(0, e);
    (void)limits.velocity.update_rows(0, v);
    return {};
  }

  Result<Inertia> parse_inertial(const XmlElement& link, std::string_view link_name) {
    const auto inertial = link.first_child("inertial");
    if (!inertial) return Inertia::zeros();
    const auto mass_element = inertial->first_child("mass");
    if (!mass_element) return fail(Kind::InertialMissingMass, std::string(link_name));
    const auto mass = extract_parameter("value", *mass_element);
    if (!mass) return std::unexpected(mass.error());
    if (options_.strict && !usable_mass(*mass)) {
      std::string value;
      append_debug(value, *mass);
      return fail_in(link, Kind::InvalidMass, std::move(value));
    }
    const auto inertia_element = inertial->first_child("inertia");
    if (!inertia_element) return fail(Kind::InertialMissingInertia, std::string(link_name));
    double entries[6];
    const char* names[6] = {"ixx", "ixy", "ixz", "iyy", "iyz", "izz"};
    for (std::size_t k = 0; k < 6; ++k) {
      const auto value = extract_parameter(names[k], *inertia_element);
      if (!value) return std::unexpected(value.error());
      entries[k] = *value;
    }
    if (options_.strict && !positive_semi_definite(entries)) {
      std::string values;
      for (std::size_t k = 0; k < 6; ++k) {
        values += std::string(k == 0 ? "" : ", ") + names[k] + " ";
        append_debug(values, entries[k]);
      }
      return fail_in(link, Kind::InvalidInertia, std::move(values));
    }
    SpatialRotation rotation = SpatialRotation::identity();
    Vector3D com = Vector3D::zeros();
    if (const auto origin = inertial->first_child("origin")) {
      // Missing or unreadable values count as zeros here.
      const auto rpy = extract_parameter_list<3>("rpy", *origin).value_or(std::array<double, 3>{});
      const auto xyz = extract_parameter_list<3>("xyz", *origin).value_or(std::array<double, 3>{});
      rotation = SpatialRotation::from_euler_angles(rpy[0], rpy[1], rpy[2]);
      com = Vector3D(xyz[0], xyz[1], xyz[2]);
    }
    const Symmetric3 about_com(entries[0], entries[3], entries[5], entries[1], entries[2],
                               entries[4]);
    return Inertia(*mass, com, about_com.rotate(rotation));
  }

  Result<void> parse_link(const Item& item) {
    const std::string name(name_or_empty(item.node));
    auto pf = get_parent_frame(item.parent);
    if (!pf) return std::unexpected(pf.error());
    if (item.root) pf = root_frame_;  // the world, or the caller's root joint
    const auto inertia = parse_inertial(item.node, name);
    if (!inertia) return std::unexpected(inertia.error());
    const SE3 frame_placement = models_.model.frames()[*pf].placement;
    Inertia frame_inertia = *inertia;
    if (!item.root || root_joint_ != WORLD_ID) {
      // The body is rigidly attached to the parent joint's body.
      if (item.parent.attribute("type").value_or("") == "fixed") {
        models_.model.append_frame_inertia(*pf, *inertia);
      }
      models_.model.append_joint_inertia(item.parent_joint, inertia->act(frame_placement));
      frame_inertia = Inertia::zeros();
    }
    const auto origin = parse_origin(item.node);
    if (!origin) return std::unexpected(origin.error());
    const auto fid = add_frame(Frame{name, item.parent_joint, *pf, frame_placement * *origin,
                                     FrameType::Body, frame_inertia},
                               true);
    if (!fid) return std::unexpected(fid.error());
    for (const bool visual : {false, true}) {
      const std::string_view tag = visual ? "visual" : "collision";
      GeometryModel& target = visual ? models_.visual : models_.collision;
      std::size_t k = 0;
      for (const XmlElement element : item.node.children()) {
        if (element.local_name() != tag) continue;
        auto object = parse_geometry(name + "_" + std::to_string(k++), element, item.parent_joint,
                                     *fid, models_.model.frames(), materials_, package_dir_,
                                     options_.check_meshes, visual);
        if (!object) return std::unexpected(object.error());
        target.add_geometry_object(std::move(*object));
      }
    }
    return {};
  }

  const XmlDocument& document_;
  XmlElement robot_;
  const std::optional<std::string>& package_dir_;
  const ReadOptions& options_;
  UrdfModels models_;
  std::size_t root_joint_ = WORLD_ID;  // the joint the root links hang from
  std::size_t root_frame_ = 0;
  MaterialTable materials_;
  std::vector<XmlElement> links_;
  std::vector<XmlElement> joints_;
  using NameIndex = FirstMatchIndex<std::string_view, std::hash<std::string_view>>;
  NameIndex link_by_name_;  // -> index in links_

  // The joints of each parent link: a group per link name, its joints in grouped_joints_.
  struct JointGroup {
    std::uint32_t begin, end;
  };
  NameIndex group_by_link_;  // -> group
  std::vector<std::string_view> group_names_;
  std::vector<JointGroup> group_ranges_;
  std::vector<XmlElement> grouped_joints_;

  std::vector<bool> reached_ = std::vector<bool>(document_.element_count(), false);  // by joints
  std::vector<bool> walked_ = std::vector<bool>(document_.element_count(), false);   // popped
};

std::expected<UrdfModels, ParseError> read_document(const XmlDocument& document,
                                                    const std::optional<std::string>& package_dir,
                                                    const ReadOptions& options) {
  for (std::size_t i = 0; i < document.element_count(); ++i) {
    const XmlElement element = document.element(i);
    if (element.local_name() == "robot") {
      return Reader(document, element, package_dir, options).run();
    }
  }
  return fail(Kind::NoRobotTag);
}

}  // namespace

std::expected<UrdfModels, ParseError> build_models_from_urdf_text(
    std::string_view text, const std::optional<std::string>& package_dir,
    const ReadOptions& options) {
  const auto document = XmlDocument::parse(text);
  if (!document) return fail(Kind::XmlError, document.error());
  return read_document(*document, package_dir, options);
}

std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir,
    const ReadOptions& options) {
  std::expected<XmlDocument, std::string> document = std::unexpected(std::string());
  {
    auto text = read_file(filepath);
    if (!text) return std::unexpected(text.error());
    document = XmlDocument::parse_owned(std::move(*text));
  }  // a plain document keeps the text as its strings, expat's tree holds copies
  if (!document) return fail(Kind::XmlError, document.error());
  return read_document(*document, package_dir, options);
}

}  // namespace kinetra::urdf
