#include "render/scene.h"

#include <GL/gl.h>

#include <cstddef>

#include "view/scene_mesh.h"

struct SceneRenderer::Meshes {
    SceneMesh mesh;
    FrameMesh frame;
};

SceneRenderer::SceneRenderer() : meshes_(std::make_unique<Meshes>()) {}

SceneRenderer::~SceneRenderer() = default;

std::size_t SceneRenderer::geometry_bytes() const {
    return meshes_->mesh.bytes() + meshes_->frame.bytes();
}

namespace {

// Beyond this many pixels of lines in a frame (a few thousand edges across
// the picture), the lines and points are drawn without multisampling: on a
// software rasteriser it doubles their time, which is then most of the
// frame's, and a tangle that dense reads no better for it.
constexpr double multisampled_line_pixels = 600000.0;

void set_specular(GLfloat shininess) {
    constexpr GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}

// Points the vertex, normal and colour arrays at the batch's vertices.
void point_arrays_at(const MeshBatch& batch) {
    const MeshVertex* v = batch.vertices.data();
    constexpr GLsizei stride = sizeof(MeshVertex);
    glVertexPointer(3, GL_FLOAT, stride, v->position);
    glNormalPointer(GL_FLOAT, stride, v->normal);
    glColorPointer(3, GL_FLOAT, stride, v->colour);
}

void draw_triangles(const MeshBatch& batch, std::size_t first, std::size_t count) {
    if (count == 0) {
        return;
    }
    point_arrays_at(batch);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                   batch.indices.data() + first);
}

void draw_triangles(const MeshBatch& batch) {
    draw_triangles(batch, 0, batch.indices.size());
}

void draw_unlit(const MeshBatch& batch, GLenum mode) {
    if (batch.vertices.empty()) {
        return;
    }
    point_arrays_at(batch);
    glDrawArrays(mode, 0, static_cast<GLsizei>(batch.vertices.size()));
}

}  // namespace

void SceneRenderer::draw_scene(const SceneInput& input, const ViewSettings& settings,
                               const Camera& camera) {
    meshes_->mesh.update(input, settings);
    FrameMesh& frame = meshes_->frame;
    meshes_->mesh.assemble(settings, camera, frame);

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POINT_BIT | GL_LINE_BIT | GL_TRANSFORM_BIT |
                 GL_POLYGON_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    // Each vertex's colour is the surface's emission; the other material
    // colours stay GL's defaults, under light 0.
    glColorMaterial(GL_FRONT, GL_EMISSION);
    glEnable(GL_COLOR_MATERIAL);

    // Spheres and tubes are seen from outside: their far sides need no
    // drawing.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    set_specular(20.0f);
    draw_triangles(frame.spheres);
    set_specular(50.0f);
    draw_triangles(frame.tubes);
    // An arch is cut open by its plane: both of its sides show.
    glDisable(GL_CULL_FACE);
    set_specular(70.0f);
    for (const ArchPiece& piece : frame.arch_pieces) {
        glClipPlane(GL_CLIP_PLANE0, piece.plane);
        glEnable(GL_CLIP_PLANE0);
        draw_triangles(frame.arches, piece.first_index, piece.index_count);
        glDisable(GL_CLIP_PLANE0);
    }

    // What is too small for its surface: flat colour, no light.
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glDisableClientState(GL_NORMAL_ARRAY);
    // Lines are antialiased by the multisampling, where there is some; line
    // smoothing without blending only widens them (and is slow to draw).
    glDisable(GL_LINE_SMOOTH);
    if (frame.line_pixels > multisampled_line_pixels) {
        glDisable(GL_MULTISAMPLE);
    }
    for (std::size_t k = 0; k < frame.lines.size(); ++k) {
        glLineWidth(static_cast<GLfloat>(k + 1));
        draw_unlit(frame.lines[k], GL_LINES);
    }
    glPointSize(min_vertex_pixels);
    draw_unlit(frame.points, GL_POINTS);

    glPopAttrib();
    glPopClientAttrib();
}
