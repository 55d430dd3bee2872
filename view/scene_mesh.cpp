#include "view/scene_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

#include "graph/cut_certificate.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "view/projection.h"
#include "view/scene_geometry.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degrees = pi / 180.0;
// An edge's radius per unit of flow, and a plain edge's radius as if it
// carried 1.5 units.
constexpr double flow_thickness = 0.04;
constexpr double idle_edge_radius = 1.5 * flow_thickness;
// Least radius of an edge that crosses the cut, when the cut is shown.
constexpr double crossing_edge_radius = 0.25;
// An arch's torus is cut 30 times around its whole ring (of which it draws
// the upper half) and up to 30 times around its tube.
constexpr int arch_segments = 30;

// ---- What the records are made from, as one number.

class Fingerprint {
  public:
    void word(std::uint64_t v) {
        hash_ = (hash_ ^ v) * 0x9E3779B97F4A7C15ull;
        hash_ ^= hash_ >> 29;
    }
    void number(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        word(bits);
    }
    void floats(const float* data, std::size_t count) {
        for (std::size_t i = 0; i + 1 < count; i += 2) {
            std::uint64_t bits = 0;
            std::memcpy(&bits, data + i, sizeof bits);
            word(bits);
        }
        if (count % 2 == 1) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, data + count - 1, sizeof bits);
            word(bits);
        }
    }
    std::uint64_t value() const { return hash_; }

  private:
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

// Every stored edge: every arc of a directed graph, every edge once (from its
// smaller end) otherwise, in the order of the matrix's rows, with the index
// of its arc.
template <class Visit>
void for_each_stored_edge(const Graph& graph, Visit visit) {
    const std::vector<Arc>& arcs = graph.arcs().arcs();
    for (std::size_t a = 0; a < arcs.size(); ++a) {
        if (graph.directed() || arcs[a].tail < arcs[a].head) {
            visit(arcs[a].tail, arcs[a].head, arcs[a].capacity, static_cast<int>(a));
        }
    }
}

std::uint64_t fingerprint(const SceneInput& input, const ViewSettings& settings) {
    Fingerprint f;
    if (!input.drawable()) {
        return f.value();
    }
    const Graph& graph = *input.graph;
    const FlowResult* result = input.result;
    const DemandSet& demands = *input.demands;
    const bool cut = settings.show_cut;
    const bool best = cut && best_cut_shown(input, settings);
    const bool by_load = colours_by_load(input, settings);
    f.word(1);
    f.number(settings.position_scale);
    f.word((settings.show_flow ? 1u : 0u) | (by_load ? 2u : 0u) | (cut ? 4u : 0u) |
           (best ? 8u : 0u) | (settings.show_arrows ? 16u : 0u) | (graph.directed() ? 32u : 0u));
    // The featured commodities colour and size their terminals and make the
    // arches.
    f.word(demands.featured().size());
    for (const int c : demands.featured()) {
        const Commodity& commodity = demands.commodity(c);
        f.word(static_cast<std::uint64_t>(commodity.source) << 32 |
               static_cast<std::uint32_t>(commodity.sink));
        f.number(commodity.demand);
        f.word(commodity.present ? 1 : 0);
    }
    f.word(static_cast<std::uint64_t>(graph.vertex_count()));
    for (const Vector3& p : *input.display_positions) {
        const float xyz[3] = {p.x, p.y, p.z};
        f.floats(xyz, 3);
    }
    f.floats(graph.sizes().data(), graph.sizes().size());
    f.number(result->maxflow);
    for_each_stored_edge(graph, [&](int u, int v, double capacity, int) {
        f.word(static_cast<std::uint64_t>(u) << 32 | static_cast<std::uint32_t>(v));
        if (settings.show_flow && by_load) {
            f.number(capacity);
        }
    });
    // The flows matter only when shown: every source's flow on every arc
    // (what an edge's colour and thickness are made of, both directions).
    if (settings.show_flow) {
        f.word(result->flow.size());
        for (const std::vector<double>& flow : result->flow) {
            f.word(flow.size());
            for (const double value : flow) {
                f.number(value);
            }
        }
    }
    if (best) {
        for (int v : input.certificate->best_cut.members) {
            f.word(static_cast<std::uint64_t>(v));
        }
    } else if (cut) {
        f.word(result->cut.found ? 1 : 0);
        for (int v : result->cut.vertices) {
            f.word(static_cast<std::uint64_t>(v));
        }
    }
    return f.value();
}

// ---- Arithmetic on three doubles.

// `v` turned about the unit `axis` by the angle of cosine c and sine s
// (Rodrigues: v c + (k × v) s + k (k · v)(1 − c)).
void turn(const double axis[3], double c, double s, const double v[3], double out[3]) {
    const double kv = axis[0] * v[0] + axis[1] * v[1] + axis[2] * v[2];
    const double cross[3] = {axis[1] * v[2] - axis[2] * v[1], axis[2] * v[0] - axis[0] * v[2],
                             axis[0] * v[1] - axis[1] * v[0]};
    for (int k = 0; k < 3; ++k) {
        out[k] = v[k] * c + cross[k] * s + axis[k] * kv * (1.0 - c);
    }
}

void turn(const double axis[3], double angle_degrees, const double v[3], double out[3]) {
    const double a = angle_degrees * degrees;
    turn(axis, std::cos(a), std::sin(a), v, out);
}

Rgb clamped(double r, double g, double b) {
    const auto unit = [](double v) { return static_cast<float>(std::clamp(v, 0.0, 1.0)); };
    // A NaN channel is dark.
    return {std::isnan(r) ? 0.0f : unit(r), std::isnan(g) ? 0.0f : unit(g),
            std::isnan(b) ? 0.0f : unit(b)};
}

// ---- Unit shapes, made once per level of detail.

// Unit normals and the triangles that join them.
struct UnitMesh {
    std::vector<std::array<double, 3>> normals;
    std::vector<std::uint32_t> indices;
};

// A sphere cut as GLU cuts it: `slices` around the z axis, `stacks` from +z
// to −z, the point (sin φ sin θ, sin φ cos θ, cos φ).
UnitMesh make_unit_sphere(int slices, int stacks) {
    UnitMesh mesh;
    for (int j = 0; j <= stacks; ++j) {
        const double phi = pi * j / stacks;
        const double ring = (j == 0 || j == stacks) ? 0.0 : std::sin(phi);
        for (int i = 0; i <= slices; ++i) {
            const double theta = 2.0 * pi * (i % slices) / slices;
            mesh.normals.push_back({ring * std::sin(theta), ring * std::cos(theta), std::cos(phi)});
        }
    }
    const auto at = [slices](int j, int i) {
        return static_cast<std::uint32_t>(j * (slices + 1) + i);
    };
    for (int j = 0; j < stacks; ++j) {
        for (int i = 0; i < slices; ++i) {
            // Counter-clockwise seen from outside.
            if (j > 0) {
                mesh.indices.insert(mesh.indices.end(), {at(j, i), at(j, i + 1), at(j + 1, i)});
            }
            if (j < stacks - 1) {
                mesh.indices.insert(mesh.indices.end(),
                                    {at(j, i + 1), at(j + 1, i + 1), at(j + 1, i)});
            }
        }
    }
    return mesh;
}

const UnitMesh& unit_sphere(const Tessellation& t) {
    static const UnitMesh coarse = make_unit_sphere(8, 6);
    static const UnitMesh middle = make_unit_sphere(12, 10);
    static const UnitMesh fine = make_unit_sphere(15, 15);
    return t.slices <= 8 ? coarse : t.slices <= 12 ? middle : fine;
}

// sin and cos of the slices' angles, as GLU takes them: (sin θ, cos θ).
const std::vector<std::array<double, 2>>& slice_angles(int slices) {
    const auto make = [](int s) {
        std::vector<std::array<double, 2>> angles;
        for (int i = 0; i <= s; ++i) {
            const double theta = 2.0 * pi * (i % s) / s;
            angles.push_back({std::sin(theta), std::cos(theta)});
        }
        return angles;
    };
    static const std::vector<std::array<double, 2>> six = make(6);
    static const std::vector<std::array<double, 2>> ten = make(10);
    return slices <= 6 ? six : ten;
}

// ---- The frame's view of the world.

struct Projected {
    double x = 0.0, y = 0.0;  // pixels from the top-left corner
    double depth = 0.0;       // along the view direction, from the eye
};

class FrameView {
  public:
    FrameView(const ViewSettings& settings, const Camera& camera)
        : width_(settings.client_width),
          height_(settings.client_height),
          perspective_(settings.perspective_3d) {
        const std::optional<CameraAxes> axes = camera_axes(camera.view_direction);
        valid_ = axes.has_value() && width_ > 0 && height_ > 0;
        if (!valid_) {
            return;
        }
        axes_ = *axes;
        eye_[0] = camera.position.x;
        eye_[1] = camera.position.y;
        eye_[2] = perspective_ ? camera.position.z : view_2d_height(camera);
        const ProjectionPlanes planes = projection_planes(settings, camera);
        near_ = planes.near_plane;
        far_ = planes.far_plane;
        const double tangent = std::tan(field_of_view_degrees / 2.0 * degrees);
        if (perspective_) {
            scale_x_ = width_ / 2.0 / (tangent * width_ / height_);
            scale_y_ = height_ / 2.0 / tangent;
        } else {
            scale_x_ = width_ / 2.0 / view_2d_height(camera);
            scale_y_ = height_ / 2.0 / view_2d_height(camera);
        }
    }

    bool valid() const { return valid_; }
    int width() const { return width_; }
    int height() const { return height_; }
    double near_plane() const { return near_; }
    double far_plane() const { return far_; }

    // Whether a point at this depth lies in front of the near plane, where
    // its screen place has a meaning.
    bool in_front(double depth) const { return !perspective_ || depth >= near_; }

    Projected project(const double p[3]) const {
        const double q[3] = {p[0] - eye_[0], p[1] - eye_[1], p[2] - eye_[2]};
        const double x = dot(q, axes_.right), y = dot(q, axes_.up), depth = dot(q, axes_.forward);
        const double divisor = perspective_ ? depth : 1.0;
        return {width_ / 2.0 + x / divisor * scale_x_, height_ / 2.0 - y / divisor * scale_y_,
                depth};
    }

    // Pixels per world unit at `depth` (anywhere in 2D).
    double pixels_per_unit(double depth) const {
        return perspective_ ? scale_y_ / depth : scale_y_;
    }

    // Whether a disc of `radius` pixels around (x, y) misses the screen.
    bool off_screen(double x, double y, double radius) const {
        const double margin = radius + 2.0;
        return x < -margin || y < -margin || x > width_ + margin || y > height_ + margin;
    }

  private:
    static double dot(const double a[3], const double b[3]) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    }

    int width_, height_;
    bool perspective_;
    bool valid_ = false;
    CameraAxes axes_{};
    double eye_[3] = {0.0, 0.0, 0.0};
    double near_ = 1.0, far_ = 1.0;
    double scale_x_ = 1.0, scale_y_ = 1.0;
};

// ---- Writing vertices.

void put(MeshBatch& batch, const double p[3], const double n[3], const Rgb& c) {
    batch.vertices.push_back(
        {{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])},
         {static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])},
         {c.r, c.g, c.b}});
}

void put_unlit(MeshBatch& batch, const double p[3], const Rgb& c) {
    const double none[3] = {0.0, 0.0, 1.0};
    put(batch, p, none, c);
}

void add_sphere(MeshBatch& batch, const SceneMesh::Sphere& s, const Tessellation& t) {
    const UnitMesh& unit = unit_sphere(t);
    const auto base = static_cast<std::uint32_t>(batch.vertices.size());
    for (const auto& n : unit.normals) {
        const double p[3] = {s.centre[0] + s.radius * n[0], s.centre[1] + s.radius * n[1],
                             s.centre[2] + s.radius * n[2]};
        put(batch, p, n.data(), s.colour);
    }
    for (std::uint32_t index : unit.indices) {
        batch.indices.push_back(base + index);
    }
}

// A cylinder's or a cone's side along the tube's axis, from `from` to `to`
// along it, of radius `low` at `from` and `high` at `to`, as GLU draws it
// (one stack), and for a cone the disc that closes its base.
void add_tube_side(MeshBatch& batch, const SceneMesh::Tube& tube, int slices, double from,
                   double to, double low, double high) {
    const auto& angles = slice_angles(slices);
    const double rise = low - high, height = to - from;
    const double slant = std::hypot(rise, height);
    const double along_normal = slant > 0.0 ? rise / slant : 0.0;
    const double across_normal = slant > 0.0 ? height / slant : 1.0;
    const auto base = static_cast<std::uint32_t>(batch.vertices.size());
    for (const auto& [s, c] : angles) {
        double out[3], n[3], p_low[3], p_high[3];
        for (int k = 0; k < 3; ++k) {
            out[k] = s * tube.across[0][k] + c * tube.across[1][k];
            n[k] = across_normal * out[k] + along_normal * tube.axis[k];
            p_low[k] = tube.start[k] + from * tube.axis[k] + low * out[k];
            p_high[k] = tube.start[k] + to * tube.axis[k] + high * out[k];
        }
        put(batch, p_low, n, tube.colour);
        put(batch, p_high, n, tube.colour);
    }
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(slices); ++i) {
        const std::uint32_t l0 = base + 2 * i, h0 = l0 + 1, l1 = l0 + 2, h1 = l0 + 3;
        batch.indices.insert(batch.indices.end(), {l0, h0, l1, l1, h0, h1});
    }
}

void add_cone_base(MeshBatch& batch, const SceneMesh::Tube& tube, int slices) {
    const auto& angles = slice_angles(slices);
    const auto base = static_cast<std::uint32_t>(batch.vertices.size());
    double centre[3];
    for (int k = 0; k < 3; ++k) {
        centre[k] = tube.start[k] + tube.cone_base * tube.axis[k];
    }
    put(batch, centre, tube.axis, tube.colour);
    for (const auto& [s, c] : angles) {
        double p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = centre[k] + tube.cone_radius * (s * tube.across[0][k] + c * tube.across[1][k]);
        }
        put(batch, p, tube.axis, tube.colour);
    }
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(slices); ++i) {
        batch.indices.insert(batch.indices.end(), {base, base + 1 + i, base + 2 + i});
    }
}

// The point of an arch's upper half ring at angle `phi` (0 at the source, π
// at the sink).
void arch_point(const SceneMesh::Arch& arch, double phi, double out[3]) {
    const double along = -arch.ring * std::cos(phi), above = arch.ring * std::sin(phi);
    for (int k = 0; k < 3; ++k) {
        out[k] = arch.centre[k] + along * arch.axis[k] + above * arch.up[k];
    }
}

// The upper half of an arch's torus, `around` times cut around its tube:
// half the ring in arch_segments / 2 steps from the source to the sink.
void add_torus(FrameMesh& frame, const SceneMesh::Arch& arch, int around) {
    MeshBatch& batch = frame.arches;
    const auto base = static_cast<std::uint32_t>(batch.vertices.size());
    constexpr int along = arch_segments / 2;
    const double side[3] = {arch.axis[1] * arch.up[2] - arch.axis[2] * arch.up[1],
                            arch.axis[2] * arch.up[0] - arch.axis[0] * arch.up[2],
                            arch.axis[0] * arch.up[1] - arch.axis[1] * arch.up[0]};
    for (int j = 0; j <= along; ++j) {
        const double phi = pi * j / along;
        for (int k = 0; k < around; ++k) {
            const double theta = (k + 0.5) * 2.0 * pi / around;
            const double rho = arch.ring + arch.tube * std::cos(theta);
            const double x = -rho * std::cos(phi), y = rho * std::sin(phi);
            const double z = arch.tube * std::sin(theta);
            double p[3];
            for (int c = 0; c < 3; ++c) {
                p[c] = arch.centre[c] + x * arch.axis[c] + y * arch.up[c] + z * side[c];
            }
            put(batch, p, arch.normal, arch.colour);
        }
    }
    ArchPiece piece;
    piece.first_index = batch.indices.size();
    const auto at = [base, around](int j, int k) {
        return base + static_cast<std::uint32_t>(j * around + k % around);
    };
    for (int j = 0; j < along; ++j) {
        for (int k = 0; k < around; ++k) {
            batch.indices.insert(batch.indices.end(),
                                 {at(j, k), at(j + 1, k), at(j, k + 1), at(j, k + 1), at(j + 1, k),
                                  at(j + 1, k + 1)});
        }
    }
    piece.index_count = batch.indices.size() - piece.first_index;
    std::copy(arch.plane, arch.plane + 4, piece.plane);
    frame.arch_pieces.push_back(piece);
}

}  // namespace

Tessellation sphere_tessellation(double radius_pixels) {
    if (!(2.0 * radius_pixels >= min_vertex_pixels)) {
        return {0, 0};
    }
    if (radius_pixels < 6.0) {
        return {8, 6};
    }
    return radius_pixels < 12.0 ? Tessellation{12, 10} : Tessellation{15, 15};
}

Tessellation cylinder_tessellation(double radius_pixels) {
    const double across = 2.0 * radius_pixels;
    if (across >= 3.5) {
        return {radius_pixels < 3.0 ? 6 : 10, 1, 0};
    }
    return {0, 0, across >= 2.5 ? 3 : across >= 1.5 ? 2 : static_cast<int>(min_edge_pixels)};
}

Tessellation cone_tessellation(double radius_pixels) {
    if (!(2.0 * radius_pixels >= 1.0)) {
        return {0, 0, 0};
    }
    return {radius_pixels < 3.0 ? 6 : 10, 1, 0};
}

void FrameMesh::clear() {
    spheres.clear();
    tubes.clear();
    arches.clear();
    arch_pieces.clear();
    for (MeshBatch& batch : lines) {
        batch.clear();
    }
    points.clear();
    line_pixels = 0.0;
}

std::size_t FrameMesh::bytes() const {
    std::size_t line_bytes = 0;
    for (const MeshBatch& batch : lines) {
        line_bytes += batch.bytes();
    }
    return spheres.bytes() + tubes.bytes() + arches.bytes() + line_bytes + points.bytes() +
           arch_pieces.capacity() * sizeof(ArchPiece);
}

bool SceneMesh::update(const SceneInput& input, const ViewSettings& settings) {
    const std::uint64_t now = fingerprint(input, settings);
    if (built_ && now == fingerprint_) {
        return false;
    }
    build(input, settings);
    fingerprint_ = now;
    built_ = true;
    return true;
}

std::size_t SceneMesh::bytes() const {
    return spheres_.capacity() * sizeof(Sphere) + tubes_.capacity() * sizeof(Tube) +
           arches_.capacity() * sizeof(Arch);
}

void SceneMesh::build(const SceneInput& input, const ViewSettings& settings) {
    spheres_.clear();
    tubes_.clear();
    arches_.clear();
    if (!input.drawable()) {
        return;
    }
    const Graph& graph = *input.graph;
    const FlowResult& result = *input.result;
    const DemandSet& demands = *input.demands;
    const int n = graph.vertex_count();
    const double cap = flow_radius_cap(input, settings);
    const bool by_load = colours_by_load(input, settings);
    std::vector<Vector3> at;
    at.reserve(static_cast<std::size_t>(n));
    for (const Vector3& p : *input.display_positions) {
        at.push_back(p * settings.position_scale);
    }

    spheres_.reserve(static_cast<std::size_t>(n));
    tubes_.reserve(static_cast<std::size_t>(graph.arcs().arc_count()));
    for (int i = 0; i < n; ++i) {
        Rgb colour = vertex_colour;
        const TerminalRole role = terminal_role(input, i);
        if (settings.show_cut && on_cut_side(input, settings, i)) {
            // The cut's side S outranks the terminals' colours.
            colour = cut_colour;
        } else if (role != TerminalRole::none) {
            colour = role == TerminalRole::source ? source_colour : sink_colour;
        }
        const Vector3& p = at[static_cast<std::size_t>(i)];
        spheres_.push_back({{p.x, p.y, p.z}, std::fabs(vertex_radius(input, i, cap)), colour});
    }

    for_each_stored_edge(graph, [&](int i, int j, double, int arc) {
        const Vector3& a = at[static_cast<std::size_t>(i)];
        const std::optional<SegmentOrientation> o =
            orient_segment(a, at[static_cast<std::size_t>(j)]);
        if (!o) {
            return;
        }
        Tube tube;
        tube.tail = i;
        tube.head = j;
        tube.start[0] = a.x;
        tube.start[1] = a.y;
        tube.start[2] = a.z;
        tube.axis[0] = o->ux;
        tube.axis[1] = o->uy;
        tube.axis[2] = o->uz;
        const double w[3] = {o->wx, o->wy, o->wz};
        const double x[3] = {1.0, 0.0, 0.0}, y[3] = {0.0, 1.0, 0.0};
        // The tilt, from +z to the segment, is acos(uz): its sine is never
        // negative.
        const double sine = std::sqrt(std::max(0.0, 1.0 - o->uz * o->uz));
        turn(w, o->uz, sine, x, tube.across[0]);
        turn(w, o->uz, sine, y, tube.across[1]);
        tube.length = o->length;

        // The flows matter only when shown. By commodity, the first three
        // sources' flows along the arc i → j are the colour's channels and
        // their sum the thickness; by load, every source's flow along the
        // edge both ways is the thickness (an undirected edge carries up to
        // its capacity each way), the busier way's load the colour.
        const bool flows = settings.show_flow;
        double total = 0.0;
        Rgb colour = idle_edge_colour;
        if (flows && by_load) {
            const EdgeLoad load = edge_load(input, i, j);
            total = load.flow;
            colour = load_colour(load.load);
        } else if (flows) {
            const double f0 = result.arc_flow(0, arc);
            const double f1 = result.arc_flow(1, arc);
            const double f2 = result.arc_flow(2, arc);
            total = f0 + f1 + f2;
            colour = clamped(f0, f1, f2);
        }
        // The negated test also sends a NaN total to the idle look.
        if (!flows || !(total >= 1e-8)) {
            tube.radius = idle_edge_radius;
            tube.colour = idle_edge_colour;
        } else {
            tube.radius = std::min(total * flow_thickness, cap);
            tube.colour = colour;
        }
        if (settings.show_cut &&
            on_cut_side(input, settings, i) != on_cut_side(input, settings, j)) {
            tube.colour = cut_colour;
            tube.radius = std::max(tube.radius, crossing_edge_radius);
        }
        if (settings.show_arrows && graph.directed()) {
            const std::optional<ArrowCone> cone = arrow_cone(
                o->length, tube.radius, vertex_radius(input, i, cap), vertex_radius(input, j, cap));
            if (cone) {
                tube.cone = true;
                tube.cone_base = cone->base;
                tube.cone_height = cone->height;
                tube.cone_radius = cone->radius;
            }
        }
        tubes_.push_back(tube);
    });

    // An arch for each featured commodity, in the palette's colours in the
    // featured order.
    const std::vector<int>& featured = demands.featured();
    for (std::size_t k = 0; k < featured.size(); ++k) {
        const Commodity& commodity = demands.commodity(featured[k]);
        if (!commodity.present) {
            continue;
        }
        const Vector3& a = at[static_cast<std::size_t>(commodity.source)];
        const Vector3& b = at[static_cast<std::size_t>(commodity.sink)];
        const std::optional<SegmentOrientation> o = orient_segment(a, b);
        const double tube = commodity_radius(input, featured[k], cap);
        if (!o || !(tube > 0.0)) {
            continue;
        }
        Arch arch;
        const Vector3 middle = (a + b) / 2.0;
        arch.centre[0] = middle.x;
        arch.centre[1] = middle.y;
        arch.centre[2] = middle.z;
        arch.ring = o->length / 2.0;
        arch.tube = tube;
        arch.colour = arch_colour(static_cast<int>(k));
        const double u[3] = {o->ux, o->uy, o->uz};
        const double across[3] = {o->wx, o->wy, o->wz};
        // w × u lies in the vertical plane through the segment, perpendicular
        // to it and pointing down; the plane keeps the side away from it.
        const double down[3] = {across[1] * u[2] - across[2] * u[1],
                                across[2] * u[0] - across[0] * u[2],
                                across[0] * u[1] - across[1] * u[0]};
        for (int k = 0; k < 3; ++k) {
            arch.axis[k] = u[k];
            arch.up[k] = -down[k];
            arch.plane[k] = -down[k];
        }
        arch.plane[3] =
            down[0] * arch.centre[0] + down[1] * arch.centre[1] + down[2] * arch.centre[2];
        // One normal for the whole arch, so that it reads as a band of its
        // colour: the one that lit it when it was drawn as a torus turned
        // into the segment's vertical plane (90° about u, then back by the
        // elevation about w) after an edge's cylinder, the torus's own y.
        const double elevation = std::asin(o->uz) / degrees;
        const double y[3] = {0.0, 1.0, 0.0};
        double turned[3];
        turn(across, -elevation, y, turned);
        turn(u, 90.0, turned, arch.normal);
        arches_.push_back(arch);
    }
}

void SceneMesh::assemble(const ViewSettings& settings, const Camera& camera,
                         FrameMesh& frame) const {
    frame.clear();
    const FrameView view(settings, camera);
    if (!view.valid()) {
        return;
    }
    // No line drawn on the screen is longer.
    const double screen_diagonal = std::hypot(view.width(), view.height());
    std::vector<Projected> projected;
    projected.reserve(spheres_.size());
    for (const Sphere& s : spheres_) {
        projected.push_back(view.project(s.centre));
    }

    for (std::size_t i = 0; i < spheres_.size(); ++i) {
        const Sphere& s = spheres_[i];
        const Projected& p = projected[i];
        if (!(s.radius > 0.0) || !std::isfinite(s.radius)) {
            continue;
        }
        Tessellation t{15, 15};
        if (view.in_front(p.depth)) {
            if (p.depth - s.radius > view.far_plane()) {
                continue;
            }
            const double r = s.radius * view.pixels_per_unit(p.depth);
            if (view.off_screen(p.x, p.y, 1.5 * r + min_vertex_pixels)) {
                continue;
            }
            t = sphere_tessellation(r);
        } else if (p.depth + s.radius < view.near_plane()) {
            continue;  // wholly behind the eye
        }
        if (t.slices == 0) {
            put_unlit(frame.points, s.centre, s.colour);
        } else {
            add_sphere(frame.spheres, s, t);
        }
    }

    for (const Tube& tube : tubes_) {
        const Projected& a = projected[static_cast<std::size_t>(tube.tail)];
        const Projected& b = projected[static_cast<std::size_t>(tube.head)];
        const bool front_a = view.in_front(a.depth), front_b = view.in_front(b.depth);
        if (!front_a && !front_b) {
            continue;
        }
        Tessellation t{10, 1};
        double pixels = 0.0;
        if (front_a && front_b) {
            pixels = view.pixels_per_unit(std::min(a.depth, b.depth));
            const double r =
                std::max(tube.radius, tube.cone ? tube.cone_radius : 0.0) * pixels + 2.0;
            if ((a.x < -r && b.x < -r) || (a.y < -r && b.y < -r) ||
                (a.x > view.width() + r && b.x > view.width() + r) ||
                (a.y > view.height() + r && b.y > view.height() + r)) {
                continue;
            }
            t = cylinder_tessellation(tube.radius * pixels);
        }
        if (t.slices == 0) {
            double end[3];
            for (int k = 0; k < 3; ++k) {
                end[k] = tube.start[k] + tube.length * tube.axis[k];
            }
            MeshBatch& lines = frame.lines[static_cast<std::size_t>(t.line_width - 1)];
            put_unlit(lines, tube.start, tube.colour);
            put_unlit(lines, end, tube.colour);
            frame.line_pixels +=
                std::min(std::hypot(a.x - b.x, a.y - b.y), screen_diagonal) * t.line_width;
        } else {
            add_tube_side(frame.tubes, tube, t.slices, 0.0, tube.length, tube.radius, tube.radius);
        }
        if (tube.cone) {
            const Tessellation c = pixels > 0.0 ? cone_tessellation(tube.cone_radius * pixels)
                                                : Tessellation{10, 1, 0};
            if (c.slices > 0) {
                add_tube_side(frame.tubes, tube, c.slices, tube.cone_base,
                              tube.cone_base + tube.cone_height, tube.cone_radius, 0.0);
                add_cone_base(frame.tubes, tube, c.slices);
            }
        }
    }

    for (const Arch& arch : arches_) {
        // The arch's size on the screen where it comes nearest the eye.
        constexpr int samples = 16;
        double nearest = HUGE_VAL;
        bool all_in_front = true;
        double points[samples + 1][3];
        for (int k = 0; k <= samples; ++k) {
            arch_point(arch, pi * k / samples, points[k]);
            const Projected p = view.project(points[k]);
            all_in_front = all_in_front && view.in_front(p.depth);
            nearest = std::min(nearest, p.depth);
        }
        const double pixels = all_in_front ? arch.tube * view.pixels_per_unit(nearest) : HUGE_VAL;
        if (2.0 * pixels < min_edge_pixels) {
            for (int k = 0; k < samples; ++k) {
                put_unlit(frame.lines[0], points[k], arch.colour);
                put_unlit(frame.lines[0], points[k + 1], arch.colour);
                const Projected from = view.project(points[k]), to = view.project(points[k + 1]);
                frame.line_pixels +=
                    std::min(std::hypot(from.x - to.x, from.y - to.y), screen_diagonal);
            }
        } else {
            // Around the tube as finely as a cylinder of its size on the screen, up
            // to the 30 cuts of a near one.
            add_torus(frame, arch, pixels < 3.0 ? 6 : pixels < 10.0 ? 12 : arch_segments);
        }
    }
}
