#pragma once

// The binary layout of frames, models and Data (see base/serial.hpp). A model is
// stored as the joints and frames added to an empty model, and loading adds them
// again, so the indexes, offsets and motion subspaces are rebuilt and the same checks
// apply (parents before children, unique joint names, one frame per name and type).

#include "base/serial.hpp"
#include "model/data.hpp"
#include "model/frame.hpp"
#include "model/model.hpp"

namespace kinetra::serial {

template <>
struct Codec<FrameType> {
  static void save(Writer& w, FrameType type) { w.u8(static_cast<std::uint8_t>(type)); }
  static FrameType load(Reader& r) { return static_cast<FrameType>(r.tag(5, "frame type")); }
};

template <>
struct Codec<Frame> {
  static void save(Writer& w, const Frame& frame);
  static Frame load(Reader& r);
};

template <>
struct Codec<Model> {
  static void save(Writer& w, const Model& model);
  static Model load(Reader& r);
};

// The joint data and the joint and frame placements; the dynamics stages' workspace is
// not kept, since every stage fills it before reading it.
template <>
struct Codec<Data> {
  static void save(Writer& w, const Data& data);
  static Data load(Reader& r);
};

}  // namespace kinetra::serial
