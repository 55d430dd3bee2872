#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "view/camera.h"
#include "view/scene_colours.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// The scene as the GL drawing submits it, worked out without GL: every
// shape's place, size and colour (the records) made once per graph and
// setting, and each frame's triangles, lines and points made from them with
// a level of detail that follows each shape's size on the screen.

// A point of the drawn geometry, in world coordinates: its place, its normal
// (used by the lit surfaces) and its colour (a lit surface's emission, the
// very colour of a line or a point).
struct MeshVertex {
    float position[3];
    float normal[3];
    float colour[3];
};

// Vertices and the indices that join them, all of one primitive kind.
struct MeshBatch {
    std::vector<MeshVertex> vertices;
    std::vector<std::uint32_t> indices;

    void clear() {
        vertices.clear();
        indices.clear();
    }
    std::size_t bytes() const {
        return vertices.capacity() * sizeof(MeshVertex) +
               indices.capacity() * sizeof(std::uint32_t);
    }
};

// One arch among FrameMesh::arches: its run of indices and the plane that
// keeps its upper half, the points p with plane · (p, 1) ≥ 0.
struct ArchPiece {
    std::size_t first_index = 0;
    std::size_t index_count = 0;
    double plane[4] = {0.0, 0.0, 0.0, 0.0};
};

// What one frame draws.
struct FrameMesh {
    MeshBatch spheres;  // lit triangles of the vertices' spheres
    MeshBatch tubes;    // lit triangles of the edges' cylinders and cones
    MeshBatch arches;   // lit triangles of the commodities' arches
    std::vector<ArchPiece> arch_pieces;
    // Unlit lines 1, 2 and 3 pixels wide: edges that thin, and arches
    // thinner than a pixel.
    std::array<MeshBatch, 3> lines;
    MeshBatch points;  // unlit points min_vertex_pixels wide: vertices smaller than that
    // The lines' area on the screen, in pixels (their length times their
    // width, overlaps counted again).
    double line_pixels = 0.0;

    void clear();
    std::size_t bytes() const;
};

// The least width on the screen, in pixels, of a vertex and of an edge.
inline constexpr float min_vertex_pixels = 3.0f;
inline constexpr float min_edge_pixels = 1.0f;

// How finely a sphere or a cylinder is cut, by its radius on the screen in
// pixels: spheres below min_vertex_pixels across are points, then 8 × 6,
// 12 × 10 and, from 12 pixels, the 15 × 15 of GLU's usual sphere; cylinders
// up to 3.5 pixels across are lines as wide as they are (1 to 3 pixels, at
// least min_edge_pixels), then prisms of 6 slices and, from 3 pixels of
// radius, 10. One stack: the colour is uniform along a cylinder. Cones are
// left out below a pixel across, and cut like the cylinders above it.
struct Tessellation {
    int slices = 0;  // 0: a point or a line, or nothing
    int stacks = 0;
    int line_width = 0;  // of a line, in pixels
};
Tessellation sphere_tessellation(double radius_pixels);
Tessellation cylinder_tessellation(double radius_pixels);
Tessellation cone_tessellation(double radius_pixels);

// The scene's records and the frames made from them.
class SceneMesh {
  public:
    // Makes the records again when anything they are made from changed since
    // the last call: the graph, its demand set's featured commodities, its
    // result (the flows by source when shown) and certificate, the display
    // positions, and the settings that shape the scene (position_scale,
    // show_flow, colour_by_load, show_cut, show_best_cut, show_arrows); the
    // camera and the projection do not. Compares a fingerprint of all of it,
    // so a graph loaded in the place of another is seen. Returns true when
    // it made them. A scene that is not drawable has no records.
    bool update(const SceneInput& input, const ViewSettings& settings);

    // The frame of the records seen from `camera` with the projection and
    // client size of `settings`: shapes wholly off the screen left out, each
    // other one at the detail its size on the screen asks for, and never
    // thinner than the least widths.
    void assemble(const ViewSettings& settings, const Camera& camera, FrameMesh& frame) const;

    // Memory held by the records, in bytes.
    std::size_t bytes() const;

    // The shapes, in world coordinates (positions already scaled).
    struct Sphere {
        double centre[3];
        double radius;
        Rgb colour;
    };
    struct Tube {
        int tail, head;  // vertices, for their projection
        double start[3];
        double axis[3];       // unit, from start to end
        double across[2][3];  // unit, the cylinder's own x and y axes
        double length;
        double radius;
        Rgb colour;
        // The arrow's cone, when the tube has one: from `cone_base` along
        // the axis, `cone_height` long, `cone_radius` wide at its base.
        bool cone = false;
        double cone_base = 0.0, cone_height = 0.0, cone_radius = 0.0;
    };
    // Half a torus standing on the segment from the source to the sink.
    struct Arch {
        double centre[3];   // the segment's middle
        double axis[3];     // unit, from the source to the sink
        double up[3];       // unit, perpendicular to it in the vertical plane
        double ring, tube;  // the ring's radius (half the segment) and the tube's
        double normal[3];   // one normal for the whole arch
        double plane[4];    // keeps the upper half: plane · (p, 1) ≥ 0
        Rgb colour;
    };
    const std::vector<Sphere>& spheres() const { return spheres_; }
    const std::vector<Tube>& tubes() const { return tubes_; }
    const std::vector<Arch>& arches() const { return arches_; }

  private:
    void build(const SceneInput& input, const ViewSettings& settings);

    bool built_ = false;
    std::uint64_t fingerprint_ = 0;
    std::vector<Sphere> spheres_;
    std::vector<Tube> tubes_;
    std::vector<Arch> arches_;
};
