#pragma once

#include <cstddef>
#include <memory>

#include "view/camera.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// Draws the graph: vertices as lit spheres, stored edges as cylinders (with a
// cone at the head of each arc of a directed graph, when arrows are on) and
// each featured commodity (DemandSet::featured) as an arch from its source to
// its sink, in its colour. With the cut shown, the vertices of its side S
// take the cut's colour and the edges between S and the rest are drawn in it
// too, thicker.
//
// The shapes (SceneMesh) are worked out once per graph and setting and kept;
// a frame that only moves the camera takes them as they are, picks each
// one's detail from its size on the screen and hands the frame's vertex
// arrays to GL. Vertices smaller than min_vertex_pixels are points that
// wide, edges and arches thinner than a pixel are lines.
//
// Use it with the GL context that it draws into current.
class SceneRenderer {
  public:
    SceneRenderer();
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Draws the whole scene with the modelview matrix holding the viewing
    // transform of `camera`, which with the settings' projection and client
    // size gives each shape's size on the screen. Draws nothing when the
    // input is not drawable (no graph, or display positions of another graph
    // or not made yet). Leaves the matrices, the clip planes, the lighting
    // and the client arrays as it found them.
    void draw_scene(const SceneInput& input, const ViewSettings& settings, const Camera& camera);

    // Memory of the kept shapes and of the last frame's arrays, in bytes.
    std::size_t geometry_bytes() const;

  private:
    // The kept shapes and the frame's arrays (view/scene_mesh.h).
    struct Meshes;
    std::unique_ptr<Meshes> meshes_;
};
