#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "view/scene_colours.h"
#include "view/scene_geometry.h"

namespace {

constexpr double radians_to_degrees = 180.0 / std::numbers::pi;
constexpr double flow_thickness = 0.04;

// A material's emission in one of the scene's colours. Its alpha is 1: the
// lighting takes a lit surface's alpha from the diffuse colour, not from the
// emission.
using Emission = std::array<GLfloat, 4>;

constexpr Emission emission(const Rgb& c) {
    return {c.r, c.g, c.b, 1.0f};
}

constexpr Emission vertex_emission = emission(vertex_colour);
constexpr Emission source_emission = emission(source_colour);
constexpr Emission sink_emission = emission(sink_colour);
constexpr Emission idle_edge_emission = emission(idle_edge_colour);
constexpr Emission cut_emission = emission(cut_colour);
// Least radius of an edge that crosses the cut, when the cut is shown: four
// times a plain edge's.
constexpr double crossing_edge_radius = 0.25;

void set_specular(GLfloat shininess) {
    constexpr GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}

void set_emission(const Emission& emission) {
    glMaterialfv(GL_FRONT, GL_EMISSION, emission.data());
}

Vector3 scaled_position(const SceneInput& input, const ViewSettings& settings, int i) {
    return (*input.display_positions)[static_cast<std::size_t>(i)] * settings.position_scale;
}

}  // namespace

SceneRenderer::SceneRenderer()
    : sphere_quadric_(gluNewQuadric()), cylinder_quadric_(gluNewQuadric()) {}

SceneRenderer::~SceneRenderer() {
    if (sphere_quadric_ != nullptr) {
        gluDeleteQuadric(sphere_quadric_);
    }
    if (cylinder_quadric_ != nullptr) {
        gluDeleteQuadric(cylinder_quadric_);
    }
}

void SceneRenderer::draw_scene(const SceneInput& input, const ViewSettings& settings) {
    if (!input.drawable()) {
        return;
    }
    const Graph& graph = *input.graph;
    const int n = graph.vertex_count();

    set_specular(20.0f);
    for (int i = 0; i < n; ++i) {
        // The cut's side S, when shown, outranks the terminals' colours.
        const TerminalRole role = terminal_role(input, i);
        if (settings.show_cut && on_cut_side(input, settings, i)) {
            set_emission(cut_emission);
        } else if (role != TerminalRole::none) {
            set_emission(role == TerminalRole::source ? source_emission : sink_emission);
        } else {
            set_emission(vertex_emission);
        }
        draw_vertex(input, settings, i);
    }

    // Each edge and each arch sets its own emission.
    set_specular(50.0f);
    for (int i = 0; i < n; ++i) {
        for (NeighbourIterator it(graph, i); !it.finished(); it.next()) {
            draw_edge(input, settings, i, it.current());
        }
    }

    set_specular(70.0f);
    const DemandSet& demands = *input.demands;
    const double routed_per_demand = input.result->maxflow * flow_thickness;
    const std::vector<int>& featured = demands.featured();
    for (std::size_t j = 0; j < featured.size(); ++j) {
        const Commodity& c = demands.commodity(featured[j]);
        if (c.present) {
            set_emission(emission(arch_colour(static_cast<int>(j))));
            draw_flow_arc(input, settings, c.source, c.sink, routed_per_demand * c.demand);
        }
    }
}

void SceneRenderer::draw_vertex(const SceneInput& input, const ViewSettings& settings, int i) {
    if (sphere_quadric_ == nullptr) {
        return;  // GLU could not allocate it
    }
    const Vector3 p = scaled_position(input, settings, i);
    glPushMatrix();
    glTranslatef(p.x, p.y, p.z);
    gluSphere(sphere_quadric_, vertex_radius(input, i), 15, 15);
    glPopMatrix();
}

void SceneRenderer::draw_edge(const SceneInput& input, const ViewSettings& settings, int i, int j) {
    const Vector3 a = scaled_position(input, settings, i);
    const std::optional<SegmentOrientation> o =
        orient_segment(a, scaled_position(input, settings, j));
    if (!o || cylinder_quadric_ == nullptr) {
        return;
    }
    glPushMatrix();
    glTranslatef(a.x, a.y, a.z);
    glRotated(o->tilt_degrees, o->wx, o->wy, o->wz);

    double total = 0.0;
    Emission colour{};
    if (flow_by_commodity(input)) {
        const double f0 = edge_flow(input, 0, i, j);
        const double f1 = edge_flow(input, 1, i, j);
        const double f2 = edge_flow(input, 2, i, j);
        total = f0 + f1 + f2;
        colour = emission({static_cast<float>(f0), static_cast<float>(f1), static_cast<float>(f2)});
    } else {
        const EdgeLoad load = edge_load(input, i, j);
        total = load.flow;
        colour = emission(load_colour(load.load));
    }
    // The negated test also sends a NaN total to the idle look.
    if (!settings.show_flow || !(total >= 1e-8)) {
        total = 1.5;
        colour = idle_edge_emission;
    }
    double radius = total * flow_thickness;
    if (settings.show_cut && on_cut_side(input, settings, i) != on_cut_side(input, settings, j)) {
        colour = cut_emission;
        radius = std::max(radius, crossing_edge_radius);
    }
    set_emission(colour);
    gluCylinder(cylinder_quadric_, radius, radius, o->length, 10, 10);
    if (settings.show_arrows && input.graph->directed()) {
        const std::optional<ArrowCone> cone =
            arrow_cone(o->length, radius, vertex_radius(input, i), vertex_radius(input, j));
        if (cone) {
            glTranslated(0.0, 0.0, cone->base);
            gluCylinder(cylinder_quadric_, cone->radius, 0.0, cone->height, 10, 1);
            gluDisk(cylinder_quadric_, 0.0, cone->radius, 10, 1);
        }
    }
    glPopMatrix();
}

void SceneRenderer::draw_flow_arc(const SceneInput& input, const ViewSettings& settings, int source,
                                  int sink, double tube_radius) {
    const Vector3 a = scaled_position(input, settings, source);
    const Vector3 b = scaled_position(input, settings, sink);
    const std::optional<SegmentOrientation> o = orient_segment(a, b);
    if (!o) {
        return;
    }
    const Vector3 middle = (a + b) / 2.0;
    glPushMatrix();
    glTranslatef(middle.x, middle.y, middle.z);

    // w × u lies in the vertical plane through the segment, perpendicular to
    // it and pointing down; clipping away its side keeps the upper half ring.
    const double nx = o->wy * o->uz - o->wz * o->uy;
    const double ny = o->wz * o->ux - o->wx * o->uz;
    const double nz = o->wx * o->uy - o->wy * o->ux;
    const GLdouble plane[4] = {-nx, -ny, -nz, 0.0};
    glClipPlane(GL_CLIP_PLANE0, plane);
    glEnable(GL_CLIP_PLANE0);

    // Turns the torus's ring plane (its xy plane) into the vertical plane
    // that contains the segment.
    const double elevation_degrees = std::asin(o->uz) * radians_to_degrees;
    glRotated(90.0, o->ux, o->uy, o->uz);
    glRotated(-elevation_degrees, o->wx, o->wy, o->wz);
    draw_torus(o->length / 2.0, tube_radius);

    glDisable(GL_CLIP_PLANE0);
    glPopMatrix();
}

void draw_torus(double ring_radius, double tube_radius) {
    constexpr int segments = 30;
    constexpr double step = 2.0 * std::numbers::pi / segments;
    for (int i = 0; i < segments; ++i) {
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= segments; ++j) {
            const double phi = (j % segments) * step;
            for (int k = 1; k >= 0; --k) {
                const double theta = (((i + k) % segments) + 0.5) * step;
                const double rho = ring_radius + tube_radius * std::cos(theta);
                glVertex3d(rho * std::cos(phi), rho * std::sin(phi), tube_radius * std::sin(theta));
            }
        }
        glEnd();
    }
}
