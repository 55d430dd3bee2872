#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "graph/commodities.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "view/scene_colours.h"
#include "view/scene_geometry.h"

namespace {

constexpr double radians_to_degrees = 180.0 / std::numbers::pi;
constexpr double flow_thickness = 0.04;

// Emission colours of the materials.
constexpr GLfloat vertex_emission[] = {0.7f, 0.7f, 0.7f, 0.1f};
constexpr GLfloat source_emission[] = {0.7f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat sink_emission[] = {0.0f, 0.7f, 0.0f, 1.0f};
constexpr GLfloat edge_pass_emission[] = {0.0f, 0.0f, 0.5f, 0.1f};
constexpr GLfloat arch_pass_emission[] = {0.0f, 0.5f, 0.0f, 0.1f};
constexpr GLfloat idle_edge_emission[] = {0.1f, 0.1f, 0.1f, 1.0f};
// Arch colour of each commodity: red, green, blue.
constexpr GLfloat arch_emission[commodity_count][4] = {
    {0.7f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.7f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.7f, 1.0f}};
constexpr GLfloat cut_emission[] = {cut_colour.r, cut_colour.g, cut_colour.b, 1.0f};
// Least radius of an edge that crosses the cut, when the cut is shown: four
// times a plain edge's.
constexpr double crossing_edge_radius = 0.25;

void set_material(GLfloat shininess, const GLfloat* emission) {
    constexpr GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
}

void set_emission(const GLfloat* emission) {
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
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

    set_material(20.0f, vertex_emission);
    for (int i = 0; i < n; ++i) {
        if (settings.show_cut) {
            // The cut's side S outranks the terminals' colours.
            const GLfloat* emission = vertex_emission;
            if (on_cut_side(input, settings, i)) {
                emission = cut_emission;
            } else if (i < 2 * commodity_count) {
                emission = i % 2 == 0 ? source_emission : sink_emission;
            }
            set_emission(emission);
            draw_vertex(input, settings, i);
            continue;
        }
        if (i < 2 * commodity_count) {
            set_emission(i % 2 == 0 ? source_emission : sink_emission);
        }
        draw_vertex(input, settings, i);
        if (i == 2 * commodity_count - 1) {
            set_emission(vertex_emission);
        }
    }

    set_material(50.0f, edge_pass_emission);
    for (int i = 0; i < n; ++i) {
        for (NeighbourIterator it(graph, i); !it.finished(); it.next()) {
            draw_edge(input, settings, i, it.current());
        }
    }

    set_material(70.0f, arch_pass_emission);
    const double routed_per_demand = input.result->maxflow * flow_thickness;
    for (int w = 0; w < commodity_count; ++w) {
        if (commodity_present(w, n)) {
            draw_flow_arc(input, settings, commodity_source(w), commodity_sink(w),
                          routed_per_demand * commodity_demand[static_cast<std::size_t>(w)]);
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

    const double f0 = edge_flow(input.result, 0, i, j);
    const double f1 = edge_flow(input.result, 1, i, j);
    const double f2 = edge_flow(input.result, 2, i, j);
    double total = f0 + f1 + f2;
    GLfloat colour[4] = {static_cast<GLfloat>(f0), static_cast<GLfloat>(f1),
                         static_cast<GLfloat>(f2), 1.0f};
    // The negated test also sends a NaN total to the idle look.
    if (!settings.show_flow || !(total >= 1e-8)) {
        total = 1.5;
        std::copy(std::begin(idle_edge_emission), std::end(idle_edge_emission), colour);
    }
    double radius = total * flow_thickness;
    if (settings.show_cut && on_cut_side(input, settings, i) != on_cut_side(input, settings, j)) {
        std::copy(std::begin(cut_emission), std::end(cut_emission), colour);
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
    set_emission(arch_emission[std::clamp(source / 2, 0, commodity_count - 1)]);
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
