#pragma once

#include "view/scene_input.h"
#include "view/view_settings.h"

struct GLUquadric;

// Draws the graph in immediate mode with two GLU quadrics, every frame from
// scratch: vertices as lit spheres, stored edges as cylinders (with a cone at
// the head of each arc of a directed graph, when arrows are on) and each
// featured commodity (DemandSet::featured) as an arch from its source to its
// sink, in its colour. With the cut shown, the
// vertices of its side S take the cut's colour and the edges between S and
// the rest are drawn in it too, thicker.
//
// Construct and destroy it with the GL context that it draws into current:
// the quadrics are made in the constructor and released in the destructor.
// Should GLU fail to make one, the spheres or cylinders are left out.
class SceneRenderer {
  public:
    SceneRenderer();
    ~SceneRenderer();

    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Draws the whole scene with the modelview matrix holding the viewing
    // transform. Draws nothing when the input is not drawable (no graph, or
    // display positions of another graph or not made yet).
    void draw_scene(const SceneInput& input, const ViewSettings& settings);

    // The steps of draw_scene; each leaves the modelview matrix as it found
    // it. Preconditions: the graph is drawable (see draw_scene) and the
    // vertex numbers are in range.

    // Sphere of vertex i, of radius vertex_radius: sized by the routed
    // amount of its featured commodities for their terminals, by its size
    // otherwise.
    void draw_vertex(const SceneInput& input, const ViewSettings& settings, int i);
    // Cylinder from vertex i to vertex j: dark grey and 0.06 thick, or, with
    // show_flow on and a flow on it, 0.04 × the total flow thick and
    // coloured by the three commodities' flows (flow_by_commodity) or by
    // its load (edge_load, load_colour); in the cut's colour and at least 0.25
    // thick when the cut is shown and it crosses the cut. In a directed
    // graph with arrows on, a cone of its colour ends it on j's sphere
    // (arrow_cone). Nothing for coincident endpoints.
    void draw_edge(const SceneInput& input, const ViewSettings& settings, int i, int j);
    // Upper half of a ring through the source and the sink, in the vertical
    // plane that contains them, with a tube of radius `tube_radius`, in the
    // emission set before. Nothing
    // for coincident endpoints; a vertical pair gets its half ring to one side,
    // in the plane of constant y through them.
    void draw_flow_arc(const SceneInput& input, const ViewSettings& settings, int source, int sink,
                       double tube_radius);

  private:
    GLUquadric* sphere_quadric_ = nullptr;
    GLUquadric* cylinder_quadric_ = nullptr;
};

// A torus around the z axis through the origin, as 30 quad strips of 31 × 2
// vertices, without normals (its look comes from the emission).
void draw_torus(double ring_radius, double tube_radius);
